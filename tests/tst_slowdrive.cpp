#include "ArchiveSupport.h"
#include "ImageSupport.h"
#include "InputSupport.h"
#include "TestSupport.h"
#include "ViewerFixture.h"

#include "platform/BackgroundTask.h"

#include <QSemaphore>
#include <QTimer>

#include <atomic>
#include <memory>

// Nothing the program asks of a drive holds the window up: books, folders and reading
// positions wait off its thread, with the busy cursor, while the window answers, and Esc
// gives the wait up.
class TestSlowDrive : public QObject
{
    Q_OBJECT
public:
    TestEnvironment* env = nullptr;

private:
    QString m_dir;
    QStringList m_prompts;
    QStringList m_opened;

    // Lets the first pass works through, then holds every later one until released:
    // a drive that stops answering.
    struct Drive {
        std::shared_ptr<QSemaphore> gate = std::make_shared<QSemaphore>();
        std::shared_ptr<std::atomic<int>> works = std::make_shared<std::atomic<int>>(0);
        explicit Drive(int pass)
        {
            BackgroundTask::setWorkHook([gate = gate, works = works, pass] {
                if (++*works > pass) {
                    gate->acquire();
                    gate->release();
                }
            });
        }
        ~Drive()
        {
            BackgroundTask::setWorkHook(nullptr);
            gate->release();
        }
    };

    // Runs action while the drive is held; once the wait has gone on a while, checks that
    // the window answers with the busy cursor and presses Esc on view.
    bool GiveUpWhileWaiting(CTalvexView* view, const std::function<void()>& action)
    {
        bool busy = false;
        QTimer::singleShot(300, view, [view, &busy] {
            busy = QApplication::overrideCursor()
                && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
            Key(view, Qt::Key_Escape);
        });
        action();
        return busy && !QApplication::overrideCursor();
    }

private slots:
    void initTestCase()
    {
        m_dir = env->path("slow");
        WritePdf(m_dir + "/book.pdf", 4);
        for (int i = 1; i <= 3; ++i)
            QVERIFY(WritePicture(m_dir + QString("/p%1.png").arg(i), { 80, 120 }, PageColour(i)));
        QVERIFY(WriteArchive(m_dir + "/comic.cbz", ArchiveFormat::Zip,
            { { "1.png", PngDeclaring({ 80, 120 }, true) },
                { "2.png", PngDeclaring({ 80, 120 }, true) } }));
        QDir().mkpath(m_dir + "/inner");
        Prompt::setResponder([this](const Prompt::Request& request) {
            if (!request.dialog && !request.menu)
                m_prompts << request.text;
            return int(Prompt::IDCANCEL);
        });
    }
    void init()
    {
        StartInFolder(m_dir);
        m_prompts.clear();
    }

    void anOpeningGivesUpQuietly_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("pass"); // works of the drive answered before it stops
        QTest::newRow("a PDF, while it is read") << "book.pdf" << 1;
        QTest::newRow("a folder of pictures, while it is listed") << "p2.png" << 1;
        QTest::newRow("an archive, while it is listed") << "comic.cbz" << 1;
        QTest::newRow("a book, while it is looked for") << "book.pdf" << 0;
    }
    void anOpeningGivesUpQuietly()
    {
        QFETCH(QString, name);
        QFETCH(int, pass);
        Viewer v;
        CTalvexView* view = v.view;
        {
            const Drive drive(pass);
            QVERIFY(GiveUpWhileWaiting(view, [&] { QVERIFY(!OpenFromFolder(v, name)); }));
        }
        QVERIFY(!view->m_bContent);
        QVERIFY(view->m_listFolder.isVisible());
        QVERIFY(m_prompts.isEmpty());
        // The drive answers again: the book opens as ever.
        QVERIFY(OpenFromFolder(v, name));
        Key(view, Qt::Key_Escape);
    }

    void aFolderThatDoesNotAnswerIsLeft()
    {
        Viewer v;
        CTalvexView* view = v.view;
        {
            const Drive drive(0);
            QVERIFY(GiveUpWhileWaiting(view, [&] {
                view->m_listFolder.SelectItem(0);
                QCOMPARE(view->m_folderItems[0].strPath, m_dir + "/inner");
                Key(&view->m_listFolder, Qt::Key_Return);
            }));
        }
        // Asked whether to try again, and not: the drive list.
        QCOMPARE(m_prompts, QStringList({ "フォルダーが見つかりません。" }));
        QVERIFY(view->m_strCurrentFolder.isEmpty());
    }

    void sizesAndPresenceFillInLater()
    {
        StoredSettings().setValue("Settings/Resume0", "2|2|4|2|0|9|" + m_dir + "/gone.pdf");
        StoredSettings().sync();
        auto drive = std::make_unique<Drive>(0);
        Viewer v(QString(), false);
        CTalvexView* view = v.view;
        // Shown at once, as last known; the drive has told nothing yet.
        QVERIFY(view->m_bResumeScreen);
        QCOMPARE(view->m_listResume.GetItemCount(), 1);
        QCOMPARE(view->m_listResume.GetItemIcon(0), 3);
        drive.reset();
        WaitForLists(view);
        QCOMPARE(view->m_listResume.GetItemIcon(0), 4);
        QCOMPARE(view->m_resumeItems[0].nType, int(TYPE_MISSING));
        StoredSettings().remove("Settings/Resume0");
    }

    void handedPathsOpenInTurn()
    {
        WritePdf(m_dir + "/second.pdf", 2);
        Viewer v;
        CTalvexView* view = v.view;
        // Both come while a menu is open: neither is lost, and they go in order.
        view->m_bMenuOpen = true;
        view->OpenHanded(m_dir + "/missing.pdf");
        view->OpenHanded(m_dir + "/second.pdf");
        QTest::qWait(150);
        QVERIFY(m_prompts.isEmpty());
        view->m_bMenuOpen = false;
        QTRY_COMPARE(v.frame.windowTitle(), QString("second.pdf - Lumivo"));
        QCOMPARE(m_prompts, QStringList({ "ファイルを開けません。" }));
        QFile::remove(m_dir + "/second.pdf");
    }
};

LUMIVO_TEST_MAIN(TestSlowDrive)
#include "tst_slowdrive.moc"
