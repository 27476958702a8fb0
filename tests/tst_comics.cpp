#include "ImageSupport.h"
#include "InputSupport.h"
#include "TestSupport.h"
#include "ViewerFixture.h"

#include "app/SettingDlg.h"
#include "platform/Prompt.h"
#include "view/CommandIds.h"

#include <QCheckBox>

namespace
{
// A book of numbered pages, p1.png to pN.png, each of its own colour.
void WriteBook(const QString& dir, int pages)
{
    for (int i = 1; i <= pages; ++i)
        QVERIFY(WritePicture(dir + QString("/p%1.png").arg(i), { 800, 1200 }, PageColour(i)));
}

QColor At(CTalvexView* view, int x, int y)
{
    if (!QTest::qWaitFor([view] { return !view->m_inputGate.IsShut(); }, 10000))
        return {};
    return view->grab().toImage().pixelColor(x, y);
}

// The colours in the middle of the left and the right half of the view.
QPair<QColor, QColor> Halves(CTalvexView* view)
{
    const int y = view->height() / 2;
    return { At(view, view->width() / 4, y), At(view, view->width() * 3 / 4, y) };
}

QStringList FolderRows(CTalvexView* view)
{
    QStringList rows;
    for (int i = 0; i < view->m_listFolder.GetItemCount(); ++i)
        rows << view->m_listFolder.GetItemText(i, 0);
    return rows;
}

void StoreSetting(const QString& name, const QString& value)
{
    StoredSettings().setValue("Settings/" + name, value);
    StoredSettings().sync();
}
} // namespace

class TestComics : public QObject
{
    Q_OBJECT
public:
    TestEnvironment* env = nullptr;

private:
    QString m_shelf;
    QStringList m_prompts;
    std::function<int(QDialog&)> m_onDialog;

private slots:
    void initTestCase() { m_shelf = env->path("comics"); }

    void init()
    {
        m_prompts.clear();
        m_onDialog = nullptr;
        Prompt::setResponder([this](const Prompt::Request& request) {
            if (request.dialog)
                return m_onDialog ? m_onDialog(*request.dialog) : int(QDialog::Rejected);
            if (!request.menu)
                m_prompts << request.text;
            return int(Prompt::IDOK);
        });
    }

    void theSettingsDialogSetsBothOptions()
    {
        const QString dir = m_shelf + "/order";
        WriteBook(dir, 10);
        StartInFolder(dir);
        Viewer v;
        CTalvexView* view = v.view;
        QCOMPARE(FolderRows(view).mid(0, 3), (QStringList { "p1.png", "p10.png", "p2.png" }));
        bool shownOff = false;
        m_onDialog = [&shownOff](QDialog& dialog) {
            auto& dlg = static_cast<CSettingDlg&>(dialog);
            shownOff
                = !dlg.m_checkNaturalSort->isChecked() && !dlg.m_checkWidePageAlone->isChecked();
            dlg.m_checkNaturalSort->setChecked(true);
            dlg.m_checkWidePageAlone->setChecked(true);
            dlg.accept();
            return dlg.result();
        };
        view->OnCommand(ID_SETTINGS);
        QVERIFY(shownOff);
        QVERIFY(view->m_bNaturalSort);
        QVERIFY(view->m_bWidePageAlone);
        StoredSettings().sync();
        QCOMPARE(StoredSettings().value("Settings/NaturalSort").toInt(), 1);
        QCOMPARE(StoredSettings().value("Settings/WidePageAlone").toInt(), 1);
        // The Folder screen comes back in the new order at once.
        QCOMPARE(FolderRows(view).mid(0, 3), (QStringList { "p1.png", "p2.png", "p3.png" }));
        QCOMPARE(FolderRows(view).last(), QString("p10.png"));

        // Cancel changes nothing.
        m_onDialog = [](QDialog& dialog) {
            auto& dlg = static_cast<CSettingDlg&>(dialog);
            dlg.m_checkNaturalSort->setChecked(false);
            dlg.reject();
            return dlg.result();
        };
        view->OnCommand(ID_SETTINGS);
        QVERIFY(view->m_bNaturalSort);
        QVERIFY(m_prompts.isEmpty());
    }

    void anEntryFindsItsPageInEitherOrder()
    {
        const QString dir = m_shelf + "/twelve";
        WriteBook(dir, 12);
        // An entry written before natural order existed: page 2 of the names in code
        // order (p1, p10, p11, ...) is p10.png.
        ClearStoredSettings();
        StoreSetting("Resume0", "258|2|12|2|0|0|" + dir + "/p10.png");
        StoreSetting("NaturalSort", "1");
        {
            Viewer v;
            CTalvexView* view = v.view;
            QVERIFY(view->m_bResumeScreen);
            Key(&view->m_listResume, Qt::Key_Return);
            QVERIFY(view->m_bContent);
            // In natural order p10.png is page 10: the spread [10, 11].
            QCOMPARE(view->m_book.nPage, 10);
            QCOMPARE(view->m_book.strPath, dir + "/p10.png");
            QCOMPARE(Halves(view), qMakePair(PageColour(11), PageColour(10)));
            Key(view, Qt::Key_C, Qt::ControlModifier);
            QVERIFY(!view->m_bContent);
        }
        StoredSettings().sync();
        QCOMPARE(StoredSettings().value("Settings/Resume0").toString(),
            "258|10|12|2|0|0|" + dir + "/p10.png");
        QVERIFY(StoredSettings().value("Settings/Resume1").toString().isEmpty());

        // Turned off again, the entry written in natural order opens on the same file.
        StoreSetting("NaturalSort", "0");
        {
            Viewer v;
            CTalvexView* view = v.view;
            Key(&view->m_listResume, Qt::Key_Return);
            QVERIFY(view->m_bContent);
            QCOMPARE(view->m_book.nPage, 2);
            QCOMPARE(view->m_book.strPath, dir + "/p10.png");
            QCOMPARE(Halves(view), qMakePair(PageColour(11), PageColour(10)));
            Key(view, Qt::Key_PageDown);
            QCOMPARE(view->m_book.strPath, dir + "/p2.png");
            Key(view, Qt::Key_Escape);
        }
        QVERIFY(m_prompts.isEmpty());
    }
};

LUMIVO_TEST_MAIN(TestComics)
#include "tst_comics.moc"
