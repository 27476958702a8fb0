#include "InputSupport.h"
#include "PdfFixture.h"

#include "pdf/InqNumPagesDlg.h"
#include "pdf/InqPasswordDlg.h"
#include "pdf/TempCopy.h"
#include "platform/SpinButton.h"

#include <QLineEdit>
#include <QPushButton>

// Opening a PDF: the page count, passwords, files poppler cannot read, and the copy in
// the temp folder for files it cannot read in place.
class TestPdfOpening : public PdfShelf
{
    Q_OBJECT

private slots:
    void initTestCase() { WriteShelf(); }
    void init() { Reset(); }

    void pageCountDialogRoad_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("no page in the tree") << "pageless.pdf";
        QTest::newRow("no page tree") << "treeless.pdf";
    }
    void pageCountDialogRoad()
    {
        QFETCH(QString, name);
        Viewer v;
        QString field;
        m_onDialog = [&field](QDialog& dialog) {
            auto* ask = qobject_cast<CInqNumPagesDlg*>(&dialog);
            if (!ask)
                return int(QDialog::Rejected);
            field = ask->edit()->text();
            return int(QDialog::Rejected);
        };
        QVERIFY(!OpenFromFolder(v, name));
        QCOMPARE(field, QString("1"));
        QVERIFY(m_prompts.isEmpty());
        QCOMPARE(m_beeps, 1);

        m_onDialog = [](QDialog& dialog) {
            auto* ask = qobject_cast<CInqNumPagesDlg*>(&dialog);
            ask->edit()->setText("250");
            ask->okButton()->click();
            return dialog.result();
        };
        QVERIFY(!OpenFromFolder(v, name));
        QCOMPARE(m_prompts, QStringList({ "ファイルを開けません。" }));
        QCOMPARE(m_beeps, 2);
        QVERIFY(v.view->m_listFolder.isVisible());
        QCOMPARE(v.frame.windowTitle(), QString("Lumivo"));
        StoredSettings().sync();
        QCOMPARE(Stored(0), QString());
    }

    void unreadableFilesAreRefusedAtOnce_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("zero bytes") << "empty.pdf";
        QTest::newRow("text named .pdf") << "notes.pdf";
        QTest::newRow("damaged") << "damaged.pdf";
    }
    void unreadableFilesAreRefusedAtOnce()
    {
        QFETCH(QString, name);
        Viewer v;
        int asked = 0;
        m_onDialog = [&asked](QDialog&) {
            ++asked;
            return int(QDialog::Accepted);
        };
        QVERIFY(!OpenFromFolder(v, name));
        QCOMPARE(asked, 0);
        QCOMPARE(m_prompts, QStringList({ "ファイルを開けません。" }));
        QCOMPARE(m_beeps, 1);
        QVERIFY(v.view->m_listFolder.isVisible());
    }

    void passwordProtected_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("answers"); // typed, or "" for Cancel
        QTest::addColumn<QStringList>("prompts");
        const QString wrong = "パスワードが違います。";
        QTest::newRow("right") << "locked.pdf" << QStringList { "s3cret-pw" } << QStringList {};
        QTest::newRow("owner's") << "locked.pdf" << QStringList { "owner" } << QStringList {};
        QTest::newRow("wrong, then right")
            << "locked.pdf" << QStringList { "secret", " ", "s3cret-pw" }
            << QStringList { wrong, wrong };
        QTest::newRow("cancel") << "locked.pdf" << QStringList { "" } << QStringList {};
        QTest::newRow("wrong, then cancel")
            << "locked.pdf" << QStringList { "S3CRET-PW", "" } << QStringList { wrong };
        QTest::newRow("older file, Latin-1 bytes")
            << "latin.pdf" << QStringList { "café" } << QStringList {};
        // Far longer than a PDF compares: cut before poppler, which overran its stack.
        QTest::newRow("10 KB for AES-256")
            << "aes256.pdf" << QStringList { QString(10240, 'x'), "" } << QStringList { wrong };
        QTest::newRow("10 KB of Japanese for AES-256")
            << "aes256.pdf" << QStringList { QString(3400, QChar(0x3042)), "" }
            << QStringList { wrong };
    }
    void aPipeInPlaceOfABookIsRefused()
    {
        // A reading position whose book became a pipe: poppler would wait on it for good.
        StoredSettings().setValue("Settings/Resume0", "2|3|10|2|0|9|" + m_dir + "/pipe.pdf");
        StoredSettings().sync();
        Viewer v;
        QVERIFY(v.view->m_bResumeScreen);
        Key(&v.view->m_listResume, Qt::Key_Return);
        QVERIFY(!v.view->m_bContent);
        QCOMPARE(m_prompts, QStringList({ "ファイルを開けません。" }));
        StoredSettings().remove("Settings/Resume0");
    }

    void aQuestionAtOpeningHasTheListBehindIt()
    {
        // A book from the command line or a hand-over opens with the list out of sight.
        Viewer v;
        bool listShown = false;
        m_onDialog = [&](QDialog& dialog) {
            listShown = v.view->m_listFolder.isVisible();
            dialog.reject();
            return dialog.result();
        };
        v.view->OpenFromOutside(m_dir + "/locked.pdf");
        QVERIFY(listShown);
        QVERIFY(!v.view->m_bContent);
        QVERIFY(v.view->m_listFolder.isVisible());
    }

    void passwordSpellingsAreCut()
    {
        for (const QString& typed : { QString(10240, 'x'), QString(3400, QChar(0x3042)),
                 QString(127, 'x'), QString("caf\u00e9") + QString(200, QChar(0xe9)) }) {
            const QList<PdfPassword> spellings = PdfPassword::Spellings(typed);
            const QByteArray utf8 = spellings.first().Bytes();
            QVERIFY(utf8.size() <= 127);
            // Cut between characters, and no shorter than that needs.
            QVERIFY(typed.toUtf8().startsWith(utf8));
            QVERIFY(utf8.size() > 127 - 4 || utf8.size() == typed.toUtf8().size());
            QCOMPARE(QString::fromUtf8(utf8).toUtf8(), utf8);
            for (const PdfPassword& spelling : spellings.mid(1))
                QCOMPARE(spelling.Bytes(), typed.left(32).toLatin1());
        }
    }

    void passwordProtected()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, answers);
        QFETCH(QStringList, prompts);
        const bool opens = !answers.last().isEmpty();
        Viewer v;
        CTalvexView* view = v.view;
        QStringList left;
        m_onDialog = [&left](QDialog& dialog) {
            auto* ask = qobject_cast<CInqPasswordDlg*>(&dialog);
            if (!ask || left.isEmpty() || ask->windowTitle() != "パスワード"
                || ask->edit()->echoMode() != QLineEdit::Password)
                return int(QDialog::Rejected);
            const QString typed = left.takeFirst();
            if (typed.isEmpty()) {
                ask->cancelButton()->click();
            } else {
                ask->edit()->setText(typed);
                ask->okButton()->click();
            }
            return dialog.result();
        };
        left = answers;
        QCOMPARE(OpenFromFolder(v, name), opens);
        QVERIFY(left.isEmpty());
        QCOMPARE(m_prompts, prompts);
        QCOMPARE(m_beeps, opens ? 0 : 1);
        if (!opens) {
            QVERIFY(v.view->m_listFolder.isVisible());
            return;
        }
        // The control and its render worker open the document with it too.
        QCOMPARE(view->m_book.nPageCount, 1);
        QTRY_VERIFY(view->m_wndPdf.IsShowingRendered());
        const QImage shot = view->m_wndPdf.grab().toImage();
        QCOMPARE(shot.pixelColor(shot.rect().center()), QColor(Qt::blue));
        // The outline is read with a document of its own, opened with the password too.
        QTRY_COMPARE(view->m_wndPdf.Outline(), QList<OutlineEntry>({ { "Locked chapter", 1, 0 } }));

        // Kept nowhere: reopened from its entry, with its count stored, it asks again.
        Key(view, Qt::Key_S, Qt::ControlModifier);
        StoredSettings().sync();
        QFile stored(StoredSettings().fileName());
        QVERIFY(stored.open(QIODevice::ReadOnly));
        const QByteArray bytes = stored.readAll();
        QVERIFY(bytes.contains(name.toUtf8()));
        QVERIFY(!bytes.contains(answers.last().toUtf8()));
        QVERIFY(!bytes.contains(answers.last().toLatin1()));
        left = QStringList { answers.last() };
        Key(&view->m_listFolder, Qt::Key_Tab);
        QVERIFY(view->m_bResumeScreen);
        Key(&view->m_listResume, Qt::Key_Return);
        QVERIFY(left.isEmpty());
        QVERIFY(view->m_bContent);
    }

    void aLockedBooksPagesPairWithItsPassword()
    {
        // Past the pages read while it opens, the sizes are read with a document of their own.
        QVERIFY(WriteBytes(m_dir + "/locked-long.pdf", LockedPdf("s3cret-pw", 30)));
        StoredSettings().setValue("Settings/WidePageAlone", 1);
        StoredSettings().sync();
        Viewer v;
        m_onDialog = [](QDialog& dialog) {
            auto* ask = qobject_cast<CInqPasswordDlg*>(&dialog);
            ask->edit()->setText("s3cret-pw");
            ask->okButton()->click();
            return dialog.result();
        };
        QVERIFY(OpenFromFolder(v, "locked-long.pdf"));
        QTRY_COMPARE(v.view->m_wndPdf.PageSizes().size(), 30);
        QCOMPARE(v.view->m_wndPdf.PageSizes().value(30), QSizeF(400, 300));
        // Every page after the first is wide, and stands alone.
        v.view->JumpToPage(20);
        QCOMPARE(v.view->m_pageIndicator.Text().pages, QString("20 / 30"));
        Key(v.view, Qt::Key_PageDown);
        QCOMPARE(v.view->m_book.nPage, 21);
        QFile::remove(m_dir + "/locked-long.pdf");
    }

    void viewerPreferencesSetTheDirection_data()
    {
        QTest::addColumn<QByteArray>("catalog");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("pairOnTheLeft");
        const QByteArray r2l = "/ViewerPreferences << /Direction /R2L >>";
        QTest::newRow("right to left") << r2l << ""
                                       << "2 1";
        QTest::newRow("left to right")
            << QByteArray("/ViewerPreferences << /Direction /L2R >>") << ""
            << "1 2";
        QTest::newRow("no preferences") << QByteArray() << ""
                                        << "1 2";
        QTest::newRow("direction not a name")
            << QByteArray("/ViewerPreferences << /Direction 5 >>") << ""
            << "1 2";
        QTest::newRow("direction a string")
            << QByteArray("/ViewerPreferences << /Direction (R2L) >>") << ""
            << "1 2";
        QTest::newRow("preferences not a dictionary") << QByteArray("/ViewerPreferences /R2L") << ""
                                                      << "1 2";
        QTest::newRow("preferences the catalog itself, saying right to left")
            << QByteArray("/ViewerPreferences 1 0 R /Direction /R2L") << ""
            << "2 1";
        // An entry names a binding, left as much as right.
        QTest::newRow("entry bound on the left") << r2l << "1|4|3|0"
                                                 << "1 2";
        QTest::newRow("entry bound on the right") << QByteArray() << "1|4|515|0"
                                                  << "2 1";
    }
    void viewerPreferencesSetTheDirection()
    {
        QFETCH(QByteArray, catalog);
        QFETCH(QString, entry);
        QFETCH(QString, pairOnTheLeft);
        const QString path = m_dir + "/manga.pdf";
        QList<QByteArray> objects { "<< /Type /Catalog /Pages 2 0 R " + catalog + " >>",
            "<< /Type /Pages /Kids [3 0 R 4 0 R 5 0 R 6 0 R] /Count 4 >>" };
        for (int i = 0; i < 4; ++i)
            objects << "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 300 400] >>";
        QVERIFY(WriteBytes(path, PdfFromObjects(objects)));
        if (!entry.isEmpty()) {
            const QString size = QString::number(QFileInfo(path).size());
            StoredSettings().setValue("Settings/Resume0", "2|" + entry + "|" + size + "|" + path);
        }
        StoredSettings().setValue("Settings/Layout", 3);
        StoredSettings().sync();
        Viewer v;
        CTalvexView* view = v.view;
        if (entry.isEmpty())
            QVERIFY(OpenFromFolder(v, "manga.pdf"));
        else
            Key(&view->m_listResume, Qt::Key_Return);
        QVERIFY(view->m_bContent);
        const QList<SpreadLayout::Placed> shown = view->m_wndPdf.PagesShown();
        QCOMPARE(shown.size(), 2);
        QCOMPARE(QString("%1 %2").arg(shown[0].page).arg(shown[1].page), pairOnTheLeft);
        QCOMPARE(view->m_book.SpreadBinding() == BIND_RIGHT, pairOnTheLeft == "2 1");

        // Read and closed, it opens again as it was left, from its last place.
        Key(view, Qt::Key_O, Qt::ControlModifier);
        Key(view, Qt::Key_Escape);
        if (view->m_bResumeScreen)
            Key(&view->m_listResume, Qt::Key_Tab);
        QVERIFY(OpenFromFolder(v, "manga.pdf"));
        QCOMPARE(view->m_book.SpreadBinding() == BIND_RIGHT, pairOnTheLeft != "2 1");
        Key(view, Qt::Key_Escape);
        QFile::remove(path);
    }

    void theDocumentsOwnCountWins()
    {
        // Asked of the reader while the file had no pages yet, then finished meanwhile.
        const QString path = m_dir + "/growing.pdf";
        QVERIFY(WriteBytes(path, PagelessPdf()));
        Viewer v;
        bool asked = false;
        m_onDialog = [&path, &asked](QDialog& dialog) {
            WritePdf(path, 3);
            auto* ask = qobject_cast<CInqNumPagesDlg*>(&dialog);
            ask->edit()->setText("250");
            ask->okButton()->click();
            asked = true;
            return dialog.result();
        };
        QVERIFY(OpenFromFolder(v, "growing.pdf"));
        QVERIFY(asked);
        QCOMPARE(v.view->m_book.nPageCount, 3);
        Key(v.view, Qt::Key_Escape);
        QFile::remove(path);

        // A stored count too large, and a page past the end, for a book of ten pages.
        const QString size = QString::number(QFileInfo(m_dir + "/ten.pdf").size());
        StoredSettings().setValue(
            "Settings/Resume0", "2|2147483647|500|1|0|" + size + "|" + m_dir + "/ten.pdf");
        StoredSettings().sync();
        Viewer stored;
        QVERIFY(stored.view->m_bResumeScreen);
        QCOMPARE(stored.view->m_resumeItems[0].nPage, 1000000);
        Key(&stored.view->m_listResume, Qt::Key_Return);
        QCOMPARE(stored.view->m_book.nPageCount, 10);
        QCOMPARE(stored.view->m_book.nPage, 10);
        Key(stored.view, Qt::Key_T, Qt::ControlModifier);
        Key(stored.view, Qt::Key_S, Qt::ControlModifier);
        StoredSettings().sync();
        QVERIFY(Stored(0).startsWith("2|10|10|1|"));
    }

    void pageCountValidation()
    {
        CInqNumPagesDlg dlg;
        QCOMPARE(dlg.windowTitle(), QString("ページ数"));
        QCOMPARE(dlg.edit()->text(), QString("1"));
        for (const QString& bad : { QString("0"), QString("1000001"), QString() }) {
            dlg.edit()->setText(bad);
            dlg.okButton()->click();
            QCOMPARE(dlg.result(), int(QDialog::Rejected));
            QCOMPARE(dlg.m_nPages, 1);
        }
        QCOMPARE(m_prompts.size(), 3);
        QCOMPARE(m_prompts[0], QString("1 から 1000000 までの整数を入力してください。"));
        dlg.edit()->setText("12");
        dlg.edit()->end(false);
        QTest::keyClicks(dlg.edit(), "x-3");
        QCOMPARE(dlg.edit()->text(), QString("123"));
        dlg.edit()->setText("999999");
        dlg.m_spinPages->Step(5);
        QCOMPARE(dlg.edit()->text(), QString("1000000"));
        QTest::keyClick(dlg.edit(), Qt::Key_Down);
        QCOMPARE(dlg.edit()->text(), QString("999999"));
        dlg.okButton()->click();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(dlg.m_nPages, 999999);
        QCOMPARE(dlg.m_spinPages->width(), dlg.cancelButton()->width() * 3 / 4);
    }

    void temporaryCopyFallback()
    {
        const QString temp = QDir::tempPath();
        CAcroAXDocShim::setPathFilter(
            [&temp](const QString& path) { return path.startsWith(temp + "/"); });
        Viewer v;
        CTalvexView* view = v.view;
        QVERIFY(OpenFromFolder(v, "ten.pdf"));
        const QString first = view->m_pdfBook.m_strTempFile;
        QCOMPARE(QFileInfo(first).absolutePath(), temp);
        QVERIFY(QFileInfo(first).fileName().startsWith("Lu"));
        QVERIFY(first.endsWith(".tmp"));
        QCOMPARE(QFileInfo(first).size(), QFileInfo(m_dir + "/ten.pdf").size());
        QCOMPARE(view->m_book.strPath, m_dir + "/ten.pdf");
        QCOMPARE(v.frame.windowTitle(), QString("ten.pdf - Lumivo"));

        Key(view, Qt::Key_Escape);
        QVERIFY(QFile::exists(first));
        QVERIFY(OpenFromFolder(v, "two.pdf"));
        QVERIFY(!QFile::exists(first));
        const QString second = view->m_pdfBook.m_strTempFile;
        QVERIFY(QFile::exists(second));
        Key(view, Qt::Key_Escape);
        view->SaveViewState();
        QVERIFY(!QFile::exists(second));
        QVERIFY(view->m_pdfBook.m_strTempFile.isEmpty());

        CAcroAXDocShim::setPathFilter([](const QString&) { return false; });
        QVERIFY(!OpenFromFolder(v, "ten.pdf"));
        QCOMPARE(m_prompts, QStringList({ "ファイルを開けません。" }));

        // A file that does not start as a PDF is not worth a copy, however large.
        const QStringList before = QDir(temp).entryList({ "Lu*.tmp" });
        CAcroAXDocShim::setPathFilter(nullptr);
        QVERIFY(WriteBytes(m_dir + "/zeros.pdf", QByteArray(4 << 20, '\0')));
        view->FillFolderList(QString());
        QVERIFY(!OpenFromFolder(v, "zeros.pdf"));
        QCOMPARE(QDir(temp).entryList({ "Lu*.tmp" }), before);
        QFile::remove(m_dir + "/zeros.pdf");

        // Copies left behind by a killed program go at the next start; others stay.
        QVERIFY(WriteBytes(temp + "/LuAb12Cd.tmp", "%PDF-1.4"));
        QVERIFY(WriteBytes(temp + "/Lunch.tmp", "not ours"));
        TempCopy::RemoveStale();
        QVERIFY(!QFile::exists(temp + "/LuAb12Cd.tmp"));
        QVERIFY(QFile::exists(temp + "/Lunch.tmp"));
        QFile::remove(temp + "/Lunch.tmp");
    }
};

LUMIVO_TEST_MAIN(TestPdfOpening)
#include "tst_pdfopening.moc"
