#include "ImageSupport.h"
#include "InputSupport.h"
#include "TestSupport.h"
#include "ViewerFixture.h"

#include "app/SettingDlg.h"
#include "pad/PadEvent.h"
#include "pad/PadRules.h"
#include "platform/Prompt.h"
#include "platform/VirtualKeys.h"
#include "view/CommandIds.h"
#include "view/PadCommands.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSlider>
#include <QToolTip>

using namespace InputRules;
using PadCommands::PadAction;

namespace
{
// Counts the commands a pad posts.
class Receiver : public QObject
{
public:
    QList<int> codes;
    bool event(QEvent* e) override
    {
        if (e->type() != WM_PAD_COMMAND)
            return QObject::event(e);
        codes << static_cast<PadEvent*>(e)->Value();
        return true;
    }
};

// Posts a pad command and lets it act, after any page it has to wait for.
void Post(CTalvexView* view, int code)
{
    QCoreApplication::postEvent(view, new PadEvent(WM_PAD_COMMAND, code));
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    if (!QTest::qWaitFor([view] { return !view->m_inputGate.IsShut(); }, 10000))
        qWarning("a page never arrived");
}

QPoint CentreOf(int cell, const QSize& pad)
{
    return PadRules::PadCellRect(cell, pad).center();
}
} // namespace

class TestPad : public QObject
{
    Q_OBJECT
public:
    TestEnvironment* env = nullptr;

private:
    QString m_shelf;
    QStringList m_prompts;
    std::function<int(QDialog&)> m_onDialog;

private slots:
    void initTestCase()
    {
        m_shelf = env->path("shelf");
        for (int i = 1; i <= 6; ++i)
            QVERIFY(WritePicture(m_shelf + QString("/p%1.png").arg(i), { 60, 90 }, PageColour(i)));
        WritePdf(m_shelf + "/book.pdf", 6);
        QDir().mkpath(m_shelf + "/inner");
    }

    void init()
    {
        StartInFolder(m_shelf);
        m_prompts.clear();
        m_onDialog = nullptr;
        CControlDlg::setSystemMove([](QWindow*) { return false; });
        Prompt::setResponder([this](const Prompt::Request& request) {
            if (request.dialog)
                return m_onDialog ? m_onDialog(*request.dialog) : int(QDialog::Rejected);
            if (!request.menu)
                m_prompts << request.text;
            return int(Prompt::IDOK);
        });
    }

    void geometry_data()
    {
        QTest::addColumn<int>("percent");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<int>("cell");
        QTest::newRow("40, top left") << 40 << QSize(153, 358) << QPoint(0, 0) << 0;
        QTest::newRow("40, grip") << 40 << QSize(153, 358) << QPoint(76, 35) << 1;
        QTest::newRow("40, last pixel") << 40 << QSize(153, 358) << QPoint(152, 357) << 20;
        QTest::newRow("40, outside") << 40 << QSize(153, 358) << QPoint(153, 10) << -1;
        QTest::newRow("45, right edge") << 45 << QSize(172, 403) << QPoint(171, 10) << 2;
        QTest::newRow("45, bottom edge") << 45 << QSize(172, 403) << QPoint(10, 400) << 18;
        QTest::newRow("100, Esc") << 100 << QSize(384, 896) << QPoint(300, 800) << 20;
        QTest::newRow("100, above") << 100 << QSize(384, 896) << QPoint(10, -1) << -1;
    }
    void geometry()
    {
        QFETCH(int, percent);
        QFETCH(QSize, size);
        QFETCH(QPoint, point);
        QFETCH(int, cell);
        QCOMPARE(PadRules::PadSize(percent), size);
        QCOMPARE(PadRules::PadHitTest(size, point.x(), point.y()), cell);
    }

    void highlightsAndPlace()
    {
        const auto edges = [](int l, int t, int r, int b) { return QRect(l, t, r - l, b - t); };
        QCOMPARE(PadRules::PadCellRect(4, { 153, 358 }), edges(54, 54, 100, 100));
        QCOMPARE(PadRules::PadCellRect(0, { 384, 896 }), edges(5, 5, 124, 124));
        QCOMPARE(PadRules::PadCellRect(20, { 172, 403 }), edges(117, 348, 170, 401));
        // The click falls on the grip: centred across, a tenth of the way down.
        QCOMPARE(PadRules::PadOrigin({ 500, 300 }, 40), QPoint(500 - 76, 300 - 35));
    }

    void commandsOfEveryCell()
    {
        // Per cell: content screen, Folder screen, Resume screen; a list key is negative.
        const int up = -Qt::Key_Up;
        const int down = -Qt::Key_Down;
        const int pageUp = -Qt::Key_PageUp;
        const int pageDown = -Qt::Key_PageDown;
        const int table[21][3] = {
            { ID_EXIT_VIEWER, ID_EXIT_VIEWER, ID_EXIT_VIEWER },
            { ACT_NONE, ACT_NONE, ACT_NONE },
            { ACT_HIDE_PAD, ACT_HIDE_PAD, ACT_HIDE_PAD },
            { ID_PAGE_FIRST, ACT_NONE, ACT_NONE },
            { ID_PAGE_LAST, ACT_NONE, ACT_NONE },
            { ID_FULLSCREEN_TOGGLE, ID_FULLSCREEN_TOGGLE, ID_FULLSCREEN_TOGGLE },
            { ID_SKIP_BACK, ID_FOLDER_UP, ACT_NONE },
            { ID_SKIP_FORWARD, ACT_NONE, ACT_NONE },
            { ID_PAGE_PREV, pageUp, pageUp },
            { ID_CLOSE_ADD_RESUME, ID_OPEN_ITEM, ID_OPEN_ITEM },
            { ID_CLOSE_OVERWRITE_RESUME, ACT_NONE, ACT_NONE },
            { ID_PAGE_NEXT, pageDown, pageDown },
            { ACT_CYCLE_LAYOUT, ID_SWITCH_SCREEN_KEEP, ID_SWITCH_SCREEN_KEEP },
            { ACT_STEP_UP, up, up },
            { ACT_NONE, ID_RESUME_DELETE, ID_RESUME_DELETE },
            { ACT_ZOOM_LEFT, ID_FOLDER_UP, ACT_NONE },
            { ACT_TOGGLE_ZOOM, ID_OPEN_ITEM, ID_OPEN_ITEM },
            { ACT_ZOOM_RIGHT, ACT_NONE, ACT_NONE },
            { ACT_TOGGLE_BINDING, ID_SWITCH_SCREEN_RESET, ID_SWITCH_SCREEN_RESET },
            { ACT_STEP_DOWN, down, down },
            { ID_CLOSE_NO_RESUME, ID_FOLDER_TOP, ACT_NONE },
        };
        const Screen screens[] = { SCREEN_CONTENT, SCREEN_FOLDER, SCREEN_RESUME };
        for (int cell = 0; cell < 21; ++cell) {
            for (int s = 0; s < 3; ++s) {
                const int want = table[cell][s];
                const PadAction expected
                    = want < 0 ? PadAction { ACT_NONE, -want } : PadAction { want, 0 };
                QCOMPARE(PadCommands::PadCommand(cell, screens[s]), expected);
            }
        }
        for (const int code : { -1, 21, 1000 })
            QCOMPARE(PadCommands::PadCommand(code, SCREEN_FOLDER), PadAction {});
    }

    void tooltipsNameWhatACellDoesAndItsKey()
    {
        for (const Screen screen : { SCREEN_CONTENT, SCREEN_FOLDER, SCREEN_RESUME }) {
            for (int cell = 0; cell < PadRules::kCellCount; ++cell) {
                const PadAction action = PadCommands::PadCommand(cell, screen);
                const PadCommands::PadHint hint = PadCommands::PadHintFor(cell, screen);
                const QString where = QString("cell %1 on screen %2").arg(cell).arg(screen);
                // Said for every cell that does something, and for the grip, which moves.
                const bool acts = action.action != ACT_NONE || action.listKey != 0;
                QVERIFY2(
                    (hint.what != nullptr) == (acts || cell == PadRules::kGrip), qPrintable(where));
                if (hint.vk == 0)
                    continue;
                // The key named does what the cell does.
                if (action.listKey != 0) {
                    QCOMPARE(VirtualKeys::fromQtKey(action.listKey, false), hint.vk);
                } else {
                    const int accelerator = AcceleratorCommand(hint.vk, hint.ctrl, false, false);
                    const int effect = accelerator != 0
                        ? accelerator
                        : KeyAction(hint.vk, hint.ctrl, false, screen);
                    QVERIFY2(effect == action.action, qPrintable(where));
                }
            }
        }

        // Shown for the cell under the mouse, as the screen under the pad has it.
        Viewer v;
        CTalvexView* view = v.view;
        CControlDlg& pad = view->m_dlgControl;
        view->TogglePad(QPoint(300, 300));
        const auto hover = [&pad](int cell) {
            const QPoint at = CentreOf(cell, pad.size());
            QHelpEvent help(QEvent::ToolTip, at, pad.mapToGlobal(at));
            QCoreApplication::sendEvent(&pad, &help);
            return help.isAccepted() && QToolTip::isVisible() ? QToolTip::text() : QString();
        };
        QCOMPARE(hover(11), QString("一覧を次へ送る\nキー: PageDown"));
        QCOMPARE(hover(3), QString());
        QVERIFY(OpenFromFolder(v, "book.pdf"));
        QCOMPARE(hover(11), QString("次のページ\nキー: PageDown"));
        QCOMPARE(hover(3), QString("先頭ページ\nキー: Home"));
        QToolTip::hideText();
    }

    void pressingReleasingAndDragging()
    {
        QWidget owner;
        CControlDlg pad(&owner);
        Receiver receiver;
        pad.m_pView = &receiver;
        pad.resize(PadRules::PadSize(40));
        pad.show();
        QVERIFY(QTest::qWaitForWindowExposed(&pad));
        const QSize size = pad.size();

        // Released where it was pressed: the command goes, once the mouse is up.
        QTest::mousePress(&pad, Qt::LeftButton, {}, CentreOf(11, size));
        QCOMPARE(pad.m_nPressed, 11);
        const QImage lit = pad.grab().toImage();
        QCOMPARE(
            lit.pixelColor(PadRules::PadCellRect(11, size).topLeft() + QPoint(2, 2)).alpha(), 255);
        QVERIFY(receiver.codes.isEmpty());
        QTest::mouseRelease(&pad, Qt::LeftButton, {}, CentreOf(11, size));
        QCoreApplication::processEvents();
        QCOMPARE(receiver.codes, QList<int>({ 11 }));
        QCOMPARE(pad.m_nPressed, -1);

        // Pressed on one cell and moved onto another: nothing goes.
        QTest::mousePress(&pad, Qt::LeftButton, {}, CentreOf(8, size));
        QMouseEvent move(QEvent::MouseMove, CentreOf(11, size), pad.mapToGlobal(CentreOf(11, size)),
            Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&pad, &move);
        QCOMPARE(pad.m_nPressed, -1);
        QTest::mouseRelease(&pad, Qt::LeftButton, {}, CentreOf(11, size));
        QCoreApplication::processEvents();
        QCOMPARE(receiver.codes.size(), 1);

        // The grip: without a window manager to move it, the pad follows the mouse.
        const QPoint start = pad.pos();
        const QPoint grip = CentreOf(PadRules::kGrip, size);
        QTest::mousePress(&pad, Qt::LeftButton, {}, grip);
        QMouseEvent drag(QEvent::MouseMove, grip + QPoint(30, 40),
            pad.mapToGlobal(grip + QPoint(30, 40)), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&pad, &drag);
        QTest::mouseRelease(&pad, Qt::LeftButton, {}, grip + QPoint(30, 40));
        QCOMPARE(pad.pos(), start + QPoint(30, 40));
        // Where the window manager moves it, the pad leaves the mouse alone.
        int asked = 0;
        CControlDlg::setSystemMove([&asked](QWindow* window) { return window && ++asked; });
        QTest::mousePress(&pad, Qt::LeftButton, {}, grip);
        QCoreApplication::sendEvent(&pad, &drag);
        QTest::mouseRelease(&pad, Qt::LeftButton, {}, grip);
        QCOMPARE(asked, 1);
        // A click on the grip, a press that wavers less than a drag, and a move after the
        // release neither ask the window manager nor move the pad: a manager asked on a
        // click can miss the release and keep the keyboard.
        const QPoint moved = pad.pos();
        const QPoint waver = grip + QPoint(QApplication::startDragDistance() - 1, 0);
        QMouseEvent wavering(QEvent::MouseMove, waver, pad.mapToGlobal(waver), Qt::NoButton,
            Qt::LeftButton, Qt::NoModifier);
        QMouseEvent afterwards(QEvent::MouseMove, grip + QPoint(30, 40),
            pad.mapToGlobal(grip + QPoint(30, 40)), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        for (const bool manager : { true, false }) {
            CControlDlg::setSystemMove(
                [&asked, manager](QWindow* window) { return window && ++asked && manager; });
            QTest::mouseClick(&pad, Qt::LeftButton, {}, grip);
            QTest::mousePress(&pad, Qt::LeftButton, {}, grip);
            QCoreApplication::sendEvent(&pad, &wavering);
            QTest::mouseRelease(&pad, Qt::LeftButton, {}, waver);
            QCoreApplication::sendEvent(&pad, &afterwards);
            QCOMPARE(asked, 1);
            QCOMPARE(pad.pos(), moved);
        }
        QCOMPARE(pad.pos(), start + QPoint(30, 40));
        QCOMPARE(receiver.codes.size(), 1);
        QVERIFY(pad.windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
    }

    void showHideAndTheCorrectedSize()
    {
        StoredSettings().setValue("Settings/FontSize", "2:4:150");
        StoredSettings().sync();
        Viewer v;
        CTalvexView* view = v.view;
        QCOMPARE(view->m_nPadSize, 100);
        QCOMPARE(view->m_dlgControl.size(), QSize(384, 896));
        view->m_nPadSize = 40;
        view->ApplyPadSize();
        QVERIFY(!view->m_dlgControl.isVisible());

        // A click on a list screen shows it on the grip; another hides it.
        const QPoint click(400, 20);
        QTest::mouseClick(view, Qt::LeftButton, {}, click);
        QVERIFY(view->m_dlgControl.isVisible());
        QCOMPARE(view->m_dlgControl.pos(), view->mapToGlobal(click - QPoint(76, 35)));
        QCOMPARE(view->m_dlgControl.size(), QSize(153, 358));
        QTest::mouseClick(view, Qt::LeftButton, {}, click);
        QVERIFY(!view->m_dlgControl.isVisible());

        // While reading, only the top-right ninth toggles it, through the cover too.
        QVERIFY(OpenFromFolder(v, "book.pdf"));
        QTest::mouseClick(&view->m_dlgCover, Qt::LeftButton, {}, QPoint(view->width() - 5, 5));
        QVERIFY(view->m_dlgControl.isVisible());
        Post(view, 2);
        QVERIFY(!view->m_dlgControl.isVisible());
        QTest::mouseClick(&view->m_dlgCover, Qt::LeftButton, {}, QPoint(5, view->height() - 5));
        QVERIFY(!view->m_dlgControl.isVisible());
    }

    void commandsReachEveryScreen()
    {
        Viewer v;
        CTalvexView* view = v.view;
        CColorListCtrl& folder = view->m_listFolder;
        const int first = folder.GetSelectedIndex();
        Post(view, 19);
        QCOMPARE(folder.GetSelectedIndex(), first + 1);
        Post(view, 13);
        QCOMPARE(folder.GetSelectedIndex(), first);
        Post(view, 15);
        QCOMPARE(view->m_strCurrentFolder, QFileInfo(m_shelf).absolutePath());
        Post(view, 16);
        QCOMPARE(view->m_strCurrentFolder, m_shelf);
        for (const int code : { -1, 1, 21, 3, 7 })
            Post(view, code);
        QCOMPARE(view->m_strCurrentFolder, m_shelf);
        QVERIFY(!view->m_bContent);

        // Reading an image book: turns, binding, closing with a resume entry.
        QVERIFY(OpenFromFolder(v, "p1.png"));
        Post(view, 11);
        QCOMPARE(view->m_book.nPage, 3);
        Post(view, 18);
        QCOMPARE(view->m_book.nBind, 1);
        Post(view, 16);
        QCOMPARE(view->m_book.nZoom, 5);
        Post(view, 17);
        QCOMPARE(view->m_book.nZoom, 6);
        Post(view, 4);
        QCOMPARE(view->m_book.nPage, 6);
        Post(view, 9);
        QVERIFY(!view->m_bContent);
        QCOMPARE(view->m_resumeItems.size(), 1);

        // 18 turns a PDF's spreads right to left and back; 20 closes it without a resume
        // entry.
        QVERIFY(OpenFromFolder(v, "book.pdf"));
        const int bind = view->m_book.nBind;
        Post(view, 18);
        QVERIFY(view->m_book.bRightToLeft);
        Post(view, 18);
        QVERIFY(!view->m_book.bRightToLeft);
        QCOMPARE(view->m_book.nBind, bind);
        Post(view, 3);
        QCOMPARE(view->m_book.nPage, 1);
        Post(view, 20);
        QVERIFY(!view->m_bContent);
        QCOMPARE(view->m_resumeItems.size(), 1);

        // The Resume screen: 12 switches, and 6, 15 and 20 do nothing there.
        Post(view, 12);
        QVERIFY(view->m_bResumeScreen);
        for (const int code : { 6, 15, 20 })
            Post(view, code);
        QVERIFY(view->m_bResumeScreen);
        QCOMPARE(view->m_strCurrentFolder, m_shelf);
        Post(view, 16);
        QVERIFY(view->m_bContent);
        QCOMPARE(view->m_book.nPage, 6);
        Post(view, 20);
        Post(view, 5);
        QVERIFY(v.frame.m_bFullScreen);
        QVERIFY(view->m_bUserFullScreen);
        Post(view, 0);
        QTRY_VERIFY(!v.frame.isVisible());
    }

    void settingsRoundTrip()
    {
        StoredSettings().setValue("Settings/Resume0", "258|1|6|2|0|9|/books/a.jpg");
        StoredSettings().setValue("Settings/Resume1", "258|1|6|2|0|9|/books/b.png");
        StoredSettings().setValue("Settings/Resume2", "2|1|6|2|0|9|/books/c.pdf");
        StoredSettings().sync();
        Viewer v;
        CTalvexView* view = v.view;
        view->m_bResumeScreen = false;
        view->ShowListScreen();
        QCOMPARE(view->m_resumeItems.size(), 3);

        // Values in; then a new normal font size, JPEG and AVIF off, more skip, a larger pad.
        QStringList seen;
        QSize livePad;
        m_onDialog = [&](QDialog& dialog) {
            auto& dlg = static_cast<CSettingDlg&>(dialog);
            seen << QString::number(dlg.m_cbFontNormal->currentIndex())
                 << QString::number(dlg.m_cbFontFull->currentIndex())
                 << QString::number(dlg.m_sliderPad->value()) << dlg.m_editSkipForward->text()
                 << QString::number(dlg.m_checkPicExt[1]->isChecked())
                 << QString::number(dlg.m_checkPicExt[3]->isChecked())
                 << QString::number(dlg.m_checkPicExt[6]->isChecked())
                 << QString::number(dlg.m_cbLayoutImage->currentIndex());
            dlg.m_cbFontNormal->setCurrentIndex(1);
            dlg.m_checkPicExt[1]->setChecked(false);
            dlg.m_checkPicExt[4]->setChecked(true);
            dlg.m_checkPicExt[6]->setChecked(false);
            dlg.m_editSkipForward->setText("20");
            dlg.m_cbBind->setCurrentIndex(1);
            dlg.m_sliderPad->setValue(60);
            // The pad shows the new size while the dialog is still open.
            QCoreApplication::processEvents();
            livePad = view->m_dlgControl.size();
            dlg.accept();
            return dlg.result();
        };
        view->OnCommand(ID_SETTINGS);
        QCOMPARE(seen, QStringList({ "2", "4", "40", "12", "1", "0", "1", "1" }));
        QCOMPARE(livePad, PadRules::PadSize(60));
        QCOMPARE(view->m_nFontSizeNormal, 1);
        QCOMPARE(view->m_nPicExt, PICEXT_BMP | PICEXT_PNG | PICEXT_TIFF | PICEXT_WEBP | PICEXT_JXL);
        QCOMPARE(view->m_nSkipForward, 20);
        QCOMPARE(view->m_nBind, 1);
        QCOMPARE(view->m_nPadSize, 60);
        QCOMPARE(view->m_resumeItems.size(), 2);
        QCOMPARE(view->m_book, BookRecord());
        StoredSettings().sync();
        QCOMPARE(StoredSettings().value("Settings/FontSize").toString(), QString("1:4:60"));
        QCOMPARE(StoredSettings().value("Settings/SkipForward").toInt(), 20);
        QCOMPARE(StoredSettings().value("Settings/PicExt").toInt(), 21);
        QCOMPARE(StoredSettings().value("Settings/PicExtMore").toInt(), 5);
        QCOMPARE(StoredSettings().value("Settings/Bind").toInt(), 1);
        QCOMPARE(StoredSettings().value("Settings/Resume0").toString(),
            QString("259|1|6|2|0|9|/books/b.png"));
        QVERIFY(StoredSettings().value("Settings/Resume2").toString().isEmpty());

        // Cancel puts the old pad size back and keeps everything else.
        int previewed = 0;
        m_onDialog = [&](QDialog& dialog) {
            auto& dlg = static_cast<CSettingDlg&>(dialog);
            dlg.m_sliderPad->setValue(90);
            dlg.m_editSkipBack->setText("30");
            QCoreApplication::processEvents();
            previewed = view->m_nPadSize;
            // Slider moves typed just before Esc are still on their way.
            dlg.m_sliderPad->setValue(80);
            dlg.m_sliderPad->setValue(70);
            dlg.reject();
            return dlg.result();
        };
        view->OnCommand(ID_SETTINGS);
        QCoreApplication::processEvents();
        QCOMPARE(previewed, 90);
        QCOMPARE(view->m_nPadSize, 60);
        QCOMPARE(view->m_dlgControl.size(), PadRules::PadSize(60));
        QCOMPARE(view->m_nSkipBack, 12);
    }

    void settingsRefuseNumbersOutOfRange_data()
    {
        QTest::addColumn<QString>("forward");
        QTest::addColumn<QString>("space");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("inSpace");
        const QString pages = "1 から 100 までの整数を入力してください。";
        const QString gap = "0 から 30 までの整数を入力してください。";
        QTest::newRow("no pages") << "0"
                                  << "0" << pages << false;
        QTest::newRow("too many pages") << "101"
                                        << "0" << pages << false;
        QTest::newRow("empty") << ""
                               << "0" << pages << false;
        QTest::newRow("gap too wide") << "10"
                                      << "31" << gap << true;
    }
    void settingsRefuseNumbersOutOfRange()
    {
        QFETCH(QString, forward);
        QFETCH(QString, space);
        QFETCH(QString, message);
        QFETCH(bool, inSpace);
        Viewer v;
        CTalvexView* view = v.view;
        bool open = false;
        bool focusInField = false;
        m_onDialog = [&](QDialog& dialog) {
            auto& dlg = static_cast<CSettingDlg&>(dialog);
            dlg.m_editSkipForward->setText(forward);
            dlg.m_editSpace->setText(space);
            dlg.m_cbFontNormal->setCurrentIndex(0);
            dlg.accept();
            open = dlg.result() != QDialog::Accepted;
            focusInField = dlg.focusWidget() == (inSpace ? dlg.m_editSpace : dlg.m_editSkipForward);
            return dlg.result();
        };
        view->OnCommand(ID_SETTINGS);
        QVERIFY(open);
        QCOMPARE(m_prompts, QStringList(message));
        QVERIFY(focusInField);
        QCOMPARE(view->m_nFontSizeNormal, 2);
        StoredSettings().sync();
        QVERIFY(!StoredSettings().contains("Settings/FontSize"));
    }
};

LUMIVO_TEST_MAIN(TestPad)
#include "tst_pad.moc"
