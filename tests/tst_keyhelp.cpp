#include "TestSupport.h"
#include "ViewerFixture.h"

#include "platform/KeyTracker.h"
#include "platform/Prompt.h"
#include "platform/UiFont.h"
#include "platform/VirtualKeys.h"
#include "view/CommandIds.h"
#include "view/KeyHelp.h"

using namespace InputRules;

Q_DECLARE_METATYPE(InputRules::Screen)

namespace
{
// What a key does on a screen, as the view takes it: the accelerators first, whose
// commands only move through a book and so do nothing on the lists.
int Effect(int vk, bool ctrl, bool shift, Screen screen)
{
    if (const int command = AcceleratorCommand(vk, ctrl, shift, false))
        return screen == SCREEN_CONTENT ? command : ACT_NONE;
    return KeyAction(vk, ctrl, shift, screen);
}

QStringList Keys(const QList<KeyHelp::Row>& rows)
{
    QStringList keys;
    for (const KeyHelp::Row& row : rows)
        keys << row.keys;
    return keys;
}

// What the reader would see change on a screen.
QString StateOf(CTalvexView* view)
{
    CColorListCtrl& list = view->m_bResumeScreen ? view->m_listResume : view->m_listFolder;
    return QString("content=%1 resume=%2 folder=%3 selected=%4 page=%5 zoom=%6 full=%7")
        .arg(view->m_bContent)
        .arg(view->m_bResumeScreen)
        .arg(view->m_strCurrentFolder)
        .arg(list.GetSelectedIndex())
        .arg(view->m_book.nPage)
        .arg(view->m_book.nZoom)
        .arg(view->GetParentFrame()->m_bFullScreen);
}
} // namespace

class TestKeyHelp : public QObject
{
    Q_OBJECT
public:
    TestEnvironment* env = nullptr;

private:
    QString m_shelf;
    int m_menus = 0;
    quint64 m_time = 1000;

    // A key as the window system gives it, with its place on the keyboard. Events of the
    // window system travel up to the parents of a widget that leaves them.
    void Send(QWidget* to, QEvent::Type type, Qt::Key key, quint32 code)
    {
        QKeyEvent event(type, key, Qt::NoModifier, code, 0, 0);
        event.setTimestamp(m_time += 10);
        QSpontaneKeyEvent::setSpontaneous(&event);
        QCoreApplication::sendEvent(to, &event);
    }
    void Press(QWidget* to, Qt::Key key, quint32 code)
    {
        Send(to, QEvent::KeyPress, key, code);
        Send(to, QEvent::KeyRelease, key, code);
    }

    // A click at a point of the view as the window system hands it out: to the widget
    // under the point, with the menu request of a right press, the release to the same
    // widget. The second click of a double click brings the double-click event.
    void Click(QWidget* view, const QPoint& at, Qt::MouseButton button, bool second)
    {
        QWidget* target = view->childAt(at) ? view->childAt(at) : view;
        const QPointF local = target->mapFrom(view, at);
        const QPointF global = view->mapToGlobal(QPointF(at));
        const auto send = [&](QEvent::Type type, Qt::MouseButtons buttons) {
            QMouseEvent event(type, local, global, button, buttons, Qt::NoModifier);
            event.setTimestamp(m_time += 10);
            QSpontaneKeyEvent::setSpontaneous(&event);
            QCoreApplication::sendEvent(target, &event);
        };
        send(QEvent::MouseButtonPress, button);
        if (second)
            send(QEvent::MouseButtonDblClick, button);
        if (button == Qt::RightButton) {
            QContextMenuEvent menu(QContextMenuEvent::Mouse, local.toPoint(), global.toPoint());
            QSpontaneKeyEvent::setSpontaneous(&menu);
            QCoreApplication::sendEvent(target, &menu);
        }
        send(QEvent::MouseButtonRelease, Qt::NoButton);
    }

private slots:
    void initTestCase()
    {
        m_shelf = env->path("shelf");
        WritePdf(m_shelf + "/ten.pdf", 10);
        WritePdf(m_shelf + "/two.pdf", 2);
        QDir().mkpath(m_shelf + "/inner");
    }

    void init()
    {
        StartInFolder(m_shelf);
        m_menus = 0;
        Prompt::setResponder([this](const Prompt::Request& request) {
            if (request.menu)
                ++m_menus;
            return int(Prompt::IDCANCEL);
        });
    }

    void rowsFollowTheKeyRules_data()
    {
        QTest::addColumn<Screen>("screen");
        QTest::newRow("Folder") << SCREEN_FOLDER;
        QTest::newRow("Resume") << SCREEN_RESUME;
        QTest::newRow("reading") << SCREEN_CONTENT;
        QTest::newRow("page grid") << SCREEN_GRID;
    }
    void rowsFollowTheKeyRules()
    {
        QFETCH(Screen, screen);
        const KeyHelp::Sheet sheet = KeyHelp::ForScreen(screen);
        QVERIFY(!sheet.title.isEmpty());
        QList<KeyHelp::Stroke> named;
        for (const KeyHelp::Row& row : sheet.rows + sheet.everywhere) {
            QVERIFY(!row.keys.isEmpty() && !row.effect.isEmpty());
            for (const KeyHelp::Stroke& stroke : row.strokes) {
                QVERIFY2(Effect(stroke.vk, stroke.ctrl, stroke.shift, screen) == stroke.action,
                    qPrintable(row.keys));
                // Only the lists move by keys the view leaves alone.
                QVERIFY(stroke.action != ACT_NONE || screen != SCREEN_CONTENT);
                named << stroke;
            }
        }
        // The picture of the ninths says something exactly where a click does something,
        // with the magnifier or without; only the reading screen has one.
        QCOMPARE(sheet.ninths.size(), screen == SCREEN_CONTENT ? 9 : 0);
        for (int cell = 0; cell < sheet.ninths.size(); ++cell) {
            const KeyHelp::Ninth& ninth = sheet.ninths[cell];
            const int x = cell % 3 * 100 + 50;
            const int y = cell / 3 * 100 + 50;
            const int plain = ClickAction(300, 300, x, y, screen, false);
            const int zoomed = ClickAction(300, 300, x, y, screen, true);
            QCOMPARE(ninth.plain.isEmpty(), plain == ACT_NONE);
            // What the magnifier changes is said; with it, a ninth that does nothing says nothing.
            QVERIFY(zoomed == plain || !ninth.zoomed.isEmpty());
            QVERIFY(zoomed != ACT_NONE || ninth.zoomed.isEmpty());
        }
        // Every key that does something here is in the help, with that effect.
        for (int vk = 1; vk < 256; ++vk) {
            for (const bool ctrl : { false, true }) {
                for (const bool shift : { false, true }) {
                    const int effect = Effect(vk, ctrl, shift, screen);
                    // Ctrl+3 only leaves a full screen the reader did not ask for.
                    if (effect == ACT_NONE || effect == ACT_DEFAULT
                        || effect == ACT_LEAVE_FULLSCREEN)
                        continue;
                    const bool listed
                        = std::any_of(named.cbegin(), named.cend(), [&](const auto& stroke) {
                              return stroke.vk == vk && stroke.action == effect;
                          });
                    QVERIFY2(listed,
                        qPrintable(QString("key %1, Ctrl %2, Shift %3 is missing")
                                       .arg(vk)
                                       .arg(ctrl)
                                       .arg(shift)));
                }
            }
        }
    }

    void f1ShowsTheKeysOfTheScreen_data()
    {
        QTest::addColumn<Screen>("screen");
        QTest::addColumn<int>("closingKey");
        // Each key would change the screen if it reached it.
        QTest::newRow("Folder, Left") << SCREEN_FOLDER << int(Qt::Key_Left);
        QTest::newRow("Folder, Down") << SCREEN_FOLDER << int(Qt::Key_Down);
        QTest::newRow("Resume, Tab") << SCREEN_RESUME << int(Qt::Key_Tab);
        QTest::newRow("reading, PageDown") << SCREEN_CONTENT << int(Qt::Key_PageDown);
        QTest::newRow("reading, Esc") << SCREEN_CONTENT << int(Qt::Key_Escape);
    }
    void f1ShowsTheKeysOfTheScreen()
    {
        QFETCH(Screen, screen);
        QFETCH(int, closingKey);
        if (screen == SCREEN_RESUME) {
            const QString size = QString::number(QFileInfo(m_shelf + "/ten.pdf").size());
            StoredSettings().setValue(
                "Settings/Resume0", "2|3|10|2|0|" + size + "|" + m_shelf + "/ten.pdf");
            StoredSettings().sync();
        }
        Viewer v;
        CTalvexView* view = v.view;
        KeyHelpOverlay& help = view->m_keyHelp;
        if (screen == SCREEN_CONTENT)
            QVERIFY(OpenFromFolder(v, "ten.pdf"));
        QCOMPARE(view->m_bResumeScreen, screen == SCREEN_RESUME);
        QWidget* keys = screen == SCREEN_CONTENT
            ? static_cast<QWidget*>(view)
            : (screen == SCREEN_RESUME ? &view->m_listResume : &view->m_listFolder);
        if (screen == SCREEN_FOLDER)
            view->m_listFolder.SelectItem(0);

        // F1, held long enough to repeat before it comes up.
        Send(keys, QEvent::KeyPress, Qt::Key_F1, 67);
        QVERIFY(help.isVisible());
        Send(keys, QEvent::KeyPress, Qt::Key_F1, 67);
        Send(keys, QEvent::KeyRelease, Qt::Key_F1, 67);
        QVERIFY(help.isVisible());
        QCOMPARE(help.geometry(), view->rect());
        QCOMPARE(view->childAt(view->rect().center()), &help);
        const KeyHelp::Sheet sheet = KeyHelp::ForScreen(screen);
        QCOMPARE(help.Shown().title, sheet.title);
        QCOMPARE(Keys(help.Shown().rows), Keys(sheet.rows));
        QCOMPARE(Keys(help.Shown().everywhere), Keys(sheet.everywhere));
        QVERIFY(view->rect().contains(help.Plate()));

        // The key that closes it does nothing else; pressed again, it acts.
        const QString before = StateOf(view);
        Press(keys, Qt::Key(closingKey), 113);
        QVERIFY(!help.isVisible());
        QCOMPARE(StateOf(view), before);
        Press(keys, Qt::Key(closingKey), 113);
        QVERIFY(StateOf(view) != before);

        // Nor does the click that closes it, left or right, single or double: on a page
        // it would step or magnify, on a list select or open another entry.
        const QString after = StateOf(view);
        const bool reading = view->m_bContent;
        CColorListCtrl& list = view->m_bResumeScreen ? view->m_listResume : view->m_listFolder;
        const QPoint spot = reading
            ? view->rect().center()
            : list.viewport()->mapTo(
                view, list.GetRowBounds(list.GetSelectedIndex() == 0 ? 1 : 0).center());
        for (const Qt::MouseButton button : { Qt::LeftButton, Qt::RightButton }) {
            for (const bool twice : { false, true }) {
                Press(keys, Qt::Key_F1, 67);
                QVERIFY(help.isVisible());
                QCOMPARE(view->childAt(spot), &help);
                Click(view, spot, button, false);
                if (twice)
                    Click(view, spot, button, true);
                QVERIFY(!help.isVisible());
                QCOMPARE(StateOf(view), after);
            }
        }
        QCOMPARE(m_menus, 0);
        // Past the double-click time a click acts again.
        m_time += 10000;
        Click(view, spot, Qt::LeftButton, false);
        QVERIFY(StateOf(view) != after);
        // The wheel does nothing at all, where it reaches the page, the list or the view.
        const QString changed = StateOf(view);
        Press(keys, Qt::Key_F1, 67);
        for (QWidget* to : { view->childAt(spot), static_cast<QWidget*>(view) }) {
            const QPoint at = to->mapFrom(view, spot);
            QWheelEvent wheel(QPointF(at), to->mapToGlobal(QPointF(at)), QPoint(), QPoint(0, -120),
                Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(to, &wheel);
        }
        QCoreApplication::processEvents();
        QVERIFY(help.isVisible());
        QCOMPARE(StateOf(view), changed);
    }

    void theHelpFitsTheScreen_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<Screen>("screen");
        for (const QSize& size : { QSize(1280, 800), QSize(1920, 1080) }) {
            const QString name = QString("%1 x %2, ").arg(size.width()).arg(size.height());
            QTest::newRow(qPrintable(name + "Folder")) << size << SCREEN_FOLDER;
            QTest::newRow(qPrintable(name + "reading")) << size << SCREEN_CONTENT;
        }
    }
    void theHelpFitsTheScreen()
    {
        QFETCH(QSize, size);
        QFETCH(Screen, screen);
        QWidget view;
        view.resize(size);
        KeyTracker keys;
        KeyHelpOverlay help(&view, keys);
        QList<QFont> fonts;
        for (const int height : ListGeometry::kFontHeights) {
            QFont font;
            font.setFamilies(UiFontFamilies());
            font.setPixelSize(height);
            fonts << font;
        }
        // Asked for in the largest font, as in full screen at the largest size.
        help.Open(KeyHelp::ForScreen(screen), fonts, ListGeometry::kFontCount - 1);
        QVERIFY(view.rect().contains(help.Plate()));
        QVERIFY(help.Plate().width() < size.width() && help.Plate().height() < size.height());
        QCOMPARE(help.Map().isEmpty(), screen != SCREEN_CONTENT);
        QVERIFY(help.Map().isEmpty() || help.Plate().contains(help.Map()));
        // Never below the type of the lists in a normal window.
        QVERIFY(help.FontIndex() >= ListGeometry::ForIndex(2).listFont - 1);
        QVERIFY(help.FontIndex() < ListGeometry::kFontCount - 1);
    }
};

LUMIVO_TEST_MAIN(TestKeyHelp)
#include "tst_keyhelp.moc"
