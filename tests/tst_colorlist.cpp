#include "TestSupport.h"

#include "browser/ColorListCtrl.h"
#include "browser/IconStrip.h"

#include <QHeaderView>
#include <QPainter>

namespace
{
const QColor kText(128, 220, 242);
const QColor kBack(0, 32, 64);
const QRgb kIconColour = qRgb(255, 0, 0);

// Records each key the list hands over, with the row that was current at that moment.
class KeyWatcher : public QWidget
{
public:
    CColorListCtrl* list = nullptr;
    QList<QPair<int, int>> presses;
    int releases = 0;

protected:
    void keyPressEvent(QKeyEvent* e) override
    {
        presses.append({ e->key(), list->currentIndex().row() });
    }
    void keyReleaseEvent(QKeyEvent*) override { ++releases; }
    // Like the viewer window, Tab is a key here, not a focus move.
    bool focusNextPrevChild(bool) override { return false; }
};

QFont PixelFont(int height)
{
    QFont font;
    font.setPixelSize(height);
    return font;
}

int FirstColumnWith(const QImage& image, int y, int from, int to, QRgb colour)
{
    for (int x = from; x < to; ++x) {
        if (image.pixel(x, y) == colour)
            return x;
    }
    return -1;
}
} // namespace

class TestColorList : public QObject
{
    Q_OBJECT
public:
    TestEnvironment* env = nullptr;

private:
    IconStrip m_strip;

    void Fill(CColorListCtrl& list, int rows)
    {
        for (int i = 0; i < rows; ++i) {
            QCOMPARE(list.InsertColoredItem(i, QString("Row %1 & co").arg(i), i % 8), i);
            list.SetItemTextColor(i, kText);
            list.SetItemBkColor(i, kBack);
            list.SetItemText(i, 1, QString::number(i));
        }
    }

private slots:
    void initTestCase()
    {
        // A strip whose icons are solid red squares inside the transparent mask colour.
        QImage strip(160, 20, QImage::Format_RGB32);
        strip.fill(QColor(100, 100, 100));
        QPainter painter(&strip);
        for (int i = 0; i < 8; ++i)
            painter.fillRect(i * 20 + 4, 4, 12, 12, QColor(kIconColour));
        painter.end();
        const QString file = env->path("strip.png");
        QVERIFY(strip.save(file));
        QVERIFY(m_strip.Load(file, 20));
        QCOMPARE(m_strip.count(), 8);
        QCOMPARE(m_strip.icon(0).toImage().pixelColor(0, 0).alpha(), 0);
    }

    void rowHeightFollowsTheFont_data()
    {
        QTest::addColumn<int>("fontHeight");
        QTest::addColumn<int>("rowHeight");
        QTest::newRow("-16") << -16 << 22;
        QTest::newRow("16") << 16 << 22;
        QTest::newRow("23") << 23 << 30;
        QTest::newRow("70") << 70 << 89;
    }
    void rowHeightFollowsTheFont()
    {
        QFETCH(int, fontHeight);
        QFETCH(int, rowHeight);
        QCOMPARE(CColorListCtrl::RowHeightFor(fontHeight), rowHeight);
        CColorListCtrl list;
        list.SetColumns("File", "Size");
        list.setFont(PixelFont(std::abs(fontHeight)));
        Fill(list, 3);
        list.resize(400, 300);
        list.show();
        QCOMPARE(list.GetItemHeight(), rowHeight);
        QCOMPARE(list.GetRowBounds(1).height(), rowHeight);
    }

    void rowsAreDrawnInTheirColours()
    {
        CColorListCtrl list;
        list.SetColumns("File", "Size");
        list.SetStateImageList(&m_strip);
        list.setFont(PixelFont(16));
        list.resize(500, 300);
        list.setColumnWidth(0, 300);
        list.setColumnWidth(1, 150);
        Fill(list, 5);
        list.SelectItem(2);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        const QImage image
            = list.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);

        // Unselected row: cell background and text colour, icon 2 px into the inner cell.
        const QRect cell = list.GetCellRect(0, 0, false);
        QCOMPARE(image.pixelColor(cell.left() + 1, cell.top() + 1), kBack);
        const int iconRow = cell.top() + 8;
        QCOMPARE(
            FirstColumnWith(image, iconRow, 0, cell.right(), kIconColour), cell.left() + 2 + 4);
        // The name starts icon width x 5/4 + 4 = 29 px after the inner cell's left edge.
        int firstText = cell.right();
        for (int y = cell.top(); y <= cell.bottom(); ++y) {
            for (int x = cell.left() + 20; x < firstText; ++x) {
                if (image.pixelColor(x, y) != kBack) {
                    firstText = x;
                    break;
                }
            }
        }
        QVERIFY(firstText >= cell.left() + 29);
        QVERIFY(firstText <= cell.left() + 29 + 3);

        // Column 1 is right-aligned: its text sits against the right edge.
        const QRect sizeCell = list.GetCellRect(0, 1, false);
        bool textAtRight = false;
        bool textAtLeft = false;
        for (int y = sizeCell.top(); y <= sizeCell.bottom(); ++y) {
            textAtRight = textAtRight || image.pixelColor(sizeCell.right() - 3, y) != kBack;
            for (int x = sizeCell.left(); x < sizeCell.left() + 60; ++x)
                textAtLeft = textAtLeft || image.pixelColor(x, y) != kBack;
        }
        QVERIFY(textAtRight);
        QVERIFY(!textAtLeft);

        // Selected row: the highlight across the whole row, cell borders included.
        const QColor highlight = list.palette().color(QPalette::Active, QPalette::Highlight);
        const QRect bounds = list.GetRowBounds(2);
        QCOMPARE(image.pixelColor(bounds.left() + 2, bounds.center().y()), highlight);
        QCOMPARE(
            image.pixelColor(list.GetCellRect(2, 1, true).left(), bounds.center().y()), highlight);
        QCOMPARE(image.pixelColor(bounds.right() - 2, bounds.center().y()), highlight);
        QCOMPARE(list.GetSelectedIndex(), 2);
        QVERIFY(list.drawn());
    }

    void placeholderWhileEmpty_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("firstLine");
        QTest::addColumn<bool>("secondLine");
        QTest::newRow("fits on one line") << 600 << 0 << true << false;
        QTest::newRow("breaks where it may") << 250 << 0 << true << true;
        QTest::newRow("gone with a row") << 600 << 1 << false << false;
    }
    void placeholderWhileEmpty()
    {
        QFETCH(int, width);
        QFETCH(int, rows);
        QFETCH(bool, firstLine);
        QFETCH(bool, secondLine);
        CColorListCtrl list;
        list.SetColumns("File", "Page");
        list.setFont(PixelFont(30));
        list.SetPlaceholderText("EMPTY HERE \nADD ONE");
        Fill(list, rows);
        // A selected row is drawn in the highlight colours, never in the row's own.
        list.SelectItem(0);
        list.resize(width, 300);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        const QImage image
            = list.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const int row = list.GetItemHeight();
        const auto textIn = [&image](int top, int bottom) {
            for (int y = top; y < bottom; ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    if (image.pixelColor(x, y) == kText)
                        return true;
                }
            }
            return false;
        };
        QCOMPARE(textIn(0, row), firstLine);
        QCOMPARE(textIn(row, image.height()), secondLine);
    }

    void longNamesKeepTheirExtension()
    {
        QFont font;
        font.setPixelSize(24);
        const QFontMetrics metrics(font);
        const QString name = QString(60, QChar(0x5DFB)) + ".cbz";
        const int width = metrics.horizontalAdvance(name) / 3;
        const QString cut = CColorListCtrl::ElidedName(name, metrics, width);
        QVERIFY(cut.endsWith(QString(QChar(0x2026)) + ".cbz"));
        QVERIFY(metrics.horizontalAdvance(cut) <= width);
        QCOMPARE(CColorListCtrl::ElidedName("p1.png", metrics, 1000), QString("p1.png"));
        // A folder's name, and a dot far from the end, are cut at the end alone.
        const QString folder = QString(60, 'x') + ".volume one";
        QVERIFY(CColorListCtrl::ElidedName(folder, metrics, width).endsWith(QChar(0x2026)));
    }

    void cellRectangles()
    {
        CColorListCtrl list;
        list.SetColumns("File", "Page");
        list.setFont(PixelFont(16));
        Fill(list, 2);
        list.resize(400, 200);
        list.setColumnWidth(0, 250);
        list.setColumnWidth(1, 100);
        list.show();
        const QRect bounds = list.GetRowBounds(1);
        QCOMPARE(list.GetCellRect(1, 0, true), QRect(bounds.left(), bounds.top(), 250, 22));
        QCOMPARE(list.GetCellRect(1, 1, true), QRect(bounds.left() + 250, bounds.top(), 100, 22));
        QCOMPARE(
            list.GetCellRect(1, 1, false), QRect(bounds.left() + 251, bounds.top() + 1, 98, 20));
    }

    void keysReachTheParentFirst()
    {
        KeyWatcher parent;
        auto* list = new CColorListCtrl(&parent);
        auto* other = new CColorListCtrl(&parent);
        parent.list = list;
        Fill(*list, 5);
        list->SelectItem(0);
        parent.show();
        list->setFocus();
        QVERIFY(QTest::qWaitForWindowActive(&parent));

        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(parent.presses.size(), 1);
        QCOMPARE(parent.presses[0], qMakePair(int(Qt::Key_Down), 0)); // before the list moved
        QCOMPARE(list->currentIndex().row(), 1);
        QCOMPARE(parent.releases, 1);

        QTest::keyClick(list, Qt::Key_Tab);
        QCOMPARE(parent.presses.size(), 2); // once, not again on the way up
        QCOMPARE(parent.presses[1].first, int(Qt::Key_Tab));
        QVERIFY(list->hasFocus());
        QVERIFY(!other->hasFocus());
    }

    void refillsAndClearing()
    {
        CColorListCtrl list;
        list.SetColumns("File", "Size");
        Fill(list, 10);
        list.SelectItem(4);
        QCOMPARE(list.GetSelectedIndex(), 4);
        list.ClearSelection();
        QCOMPARE(list.GetSelectedIndex(), -1);
        list.DeleteAllColoredItems();
        QCOMPARE(list.GetItemCount(), 0);
        list.SelectItem(0);
        QCOMPARE(list.GetSelectedIndex(), -1);
        QCOMPARE(list.InsertColoredItem(3, "beyond the end", 0), -1);
        list.SetItemTextColor(7, kText); // no such row: left alone
        QCOMPARE(list.GetItemText(0, 0), QString());
    }
};

LUMIVO_TEST_MAIN(TestColorList)
#include "tst_colorlist.moc"
