#include "TestSupport.h"

#include "app/MainFrame.h"
#include "app/TalvexDoc.h"
#include "app/WindowPlacement.h"

class TestPlacement : public QObject
{
    Q_OBJECT
public:
    TestEnvironment* env = nullptr;

private:
    static QString StoredPos() { return StoredSettings().value("Settings/WindowPos").toString(); }

private slots:
    void init() { ClearStoredSettings(); }

    void parsing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("ten") << "0:1:-1:-1:-1:-1:10:20:700:520" << true;
        QTest::newRow("nine") << "0:1:-1:-1:-1:-1:10:20:700" << false;
        QTest::newRow("ten and more") << "0:1:-1:-1:-1:-1:10:20:700:520:9" << true;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("words") << "left:top" << false;
    }
    void parsing()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        const auto wp = WindowPlacement::Parse(text);
        QCOMPARE(bool(wp), valid);
        if (wp)
            QCOMPARE(wp->Format(), QString("0:1:-1:-1:-1:-1:10:20:700:520"));
    }

    void minimisedIsNeverRestoredMinimised()
    {
        WindowPlacement fromNormal = WindowPlacement::Fetch(QRect(5, 6, 700, 500), true, false);
        fromNormal.PrepareForSave(false);
        QCOMPARE(fromNormal.showCmd, WindowPlacement::SW_RESTORE);
        QCOMPARE(fromNormal.NormalRect(), QRect(5, 6, 700, 500));

        WindowPlacement fromMax = WindowPlacement::Fetch(QRect(5, 6, 700, 500), true, true);
        fromMax.PrepareForSave(false);
        QCOMPARE(fromMax.showCmd, WindowPlacement::SW_SHOWMAXIMIZED);

        WindowPlacement max = WindowPlacement::Fetch(QRect(5, 6, 700, 500), false, true);
        max.PrepareForSave(true);
        QCOMPARE(max.flags, WindowPlacement::WPF_RESTORETOMAXIMIZED);
        QCOMPARE(max.showCmd, WindowPlacement::SW_SHOWMAXIMIZED);
    }

    void normalWindowRoundTrip()
    {
        CTalvexDoc doc;
        {
            CMainFrame frame(&doc);
            QVERIFY(!frame.LoadFrameSettings()); // first start: nothing stored
            frame.show();
            frame.setGeometry(120, 90, 800, 600);
            QVERIFY(QTest::qWaitForWindowExposed(&frame));
            frame.close();
        }
        QCOMPARE(StoredSettings().value("Settings/FullScreen").toInt(), 0);
        QCOMPARE(StoredPos(), QString("0:1:-1:-1:-1:-1:120:90:920:690"));

        CMainFrame again(&doc);
        QVERIFY(again.LoadFrameSettings());
        QVERIFY(QTest::qWaitForWindowExposed(&again));
        QCOMPARE(again.geometry(), QRect(120, 90, 800, 600));
        QVERIFY(!again.isMaximized());
    }

    void maximisedAndMinimisedWindows()
    {
        CTalvexDoc doc;
        {
            CMainFrame frame(&doc);
            frame.setGeometry(50, 60, 700, 500);
            frame.showMaximized();
            QVERIFY(QTest::qWaitForWindowExposed(&frame));
            frame.close();
        }
        QVERIFY(StoredPos().startsWith("2:3:"));
        {
            CMainFrame frame(&doc);
            QVERIFY(frame.LoadFrameSettings());
            QVERIFY(frame.isMaximized());
            frame.showMinimized(); // minimised from maximised
            frame.close();
        }
        QVERIFY(StoredPos().startsWith("2:3:"));

        StoredSettings().setValue("Settings/WindowPos", "0:1:-1:-1:-1:-1:50:60:750:560");
        StoredSettings().sync();
        {
            CMainFrame frame(&doc);
            QVERIFY(frame.LoadFrameSettings());
            frame.showMinimized();
            QVERIFY(frame.isMinimized());
            frame.close();
        }
        QCOMPARE(StoredPos(), QString("0:9:-1:-1:-1:-1:50:60:750:560"));
        CMainFrame frame(&doc);
        QVERIFY(frame.LoadFrameSettings());
        QVERIFY(!frame.isMinimized());
    }

    void fullScreenStateAndLeavingIt()
    {
        CTalvexDoc doc;
        StoredSettings().setValue("Settings/FullScreen", 1);
        StoredSettings().sync();
        {
            CMainFrame frame(&doc);
            QVERIFY(frame.LoadFrameSettings());
            QVERIFY(frame.isFullScreen());
            frame.ToggleFullScreen(); // no placement was ever stored
            QVERIFY(!frame.m_bFullScreen);
            QCOMPARE(frame.geometry(), QRect(100, 80, 640, 480));
            frame.ToggleFullScreen();
            QVERIFY(frame.isFullScreen());
            frame.close();
        }
        QCOMPARE(StoredSettings().value("Settings/FullScreen").toInt(), 1);
        QCOMPARE(StoredPos(), QString("0:1:-1:-1:-1:-1:100:80:740:560"));

        CMainFrame frame(&doc);
        QVERIFY(frame.LoadFrameSettings());
        QVERIFY(frame.isFullScreen());
        frame.ToggleFullScreen();
        QCOMPARE(frame.geometry(), QRect(100, 80, 640, 480));
    }

    void placementOffEveryScreenIsBroughtBack()
    {
        StoredSettings().setValue("Settings/WindowPos", "0:1:-1:-1:-1:-1:9000:9000:9700:9500");
        StoredSettings().sync();
        CTalvexDoc doc;
        CMainFrame frame(&doc);
        QVERIFY(frame.LoadFrameSettings());
        QCOMPARE(frame.size(), QSize(700, 500));
        QVERIFY(frame.screen()->availableGeometry().intersects(frame.geometry()));
    }

    void damagedPlacementsStayWithinTheDesktop_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("two thousand million") << "0:1:-1:-1:-1:-1:0:0:2000000000:2000000000";
        QTest::newRow("int limits")
            << "0:1:-1:-1:-1:-1:-2147483648:-2147483648:2147483647:2147483647";
        QTest::newRow("upside down")
            << "0:1:-1:-1:-1:-1:2147483647:2147483647:-2147483648:-2147483648";
        QTest::newRow("far away") << "0:3:-1:-1:-1:-1:-16777216:900000:-16777000:900300";
    }
    void damagedPlacementsStayWithinTheDesktop()
    {
        QFETCH(QString, text);
        StoredSettings().setValue("Settings/WindowPos", text);
        StoredSettings().sync();
        {
            CTalvexDoc doc;
            CMainFrame frame(&doc);
            QVERIFY(frame.LoadFrameSettings());
            const QRect desktop = frame.screen()->virtualGeometry();
            QVERIFY(frame.width() <= 2 * desktop.width());
            QVERIFY(frame.height() <= 2 * desktop.height());
            QVERIFY(desktop.intersects(frame.geometry()));
            frame.SaveFrameSettings();
        }
        // What is written back is what the window had, not the damaged value.
        StoredSettings().sync();
        const auto saved
            = WindowPlacement::Parse(StoredSettings().value("Settings/WindowPos").toString());
        QVERIFY(saved);
        QVERIFY(saved->right - saved->left <= 16384);
    }

    void minimumSizeAndTitle()
    {
        CTalvexDoc doc;
        CMainFrame frame(&doc);
        frame.show();
        frame.resize(300, 200);
        QCOMPARE(frame.size(), QSize(640, 480));
        QCOMPARE(frame.windowTitle(), QString("Lumivo"));
        doc.SetTitle("本.pdf");
        QCOMPARE(frame.windowTitle(), QString("本.pdf - Lumivo"));
        doc.SetTitle(QString());
        QCOMPARE(frame.windowTitle(), QString("Lumivo"));
    }
};

LUMIVO_TEST_MAIN(TestPlacement)
#include "tst_placement.moc"
