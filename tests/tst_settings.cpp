#include "TestSupport.h"

#include "app/SettingsStore.h"
#include "browser/BookRecord.h"
#include "browser/ResumeStore.h"
#include "platform/Profile.h"
#include "platform/ScanNumbers.h"

class TestSettings : public QObject
{
    Q_OBJECT
public:
    TestEnvironment* env = nullptr;

private slots:
    void init() { ClearStoredSettings(); }

    void numbersAreReadLikeScanf_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<qint64>>("values");
        QTest::newRow("empty") << "" << QList<qint64> {};
        QTest::newRow("three") << "1:2:3" << QList<qint64> { 1, 2, 3 };
        QTest::newRow("signs and blanks") << " -4: +5:6" << QList<qint64> { -4, 5, 6 };
        QTest::newRow("stops at junk") << "7:x:9" << QList<qint64> { 7 };
        QTest::newRow("separator must follow") << "7 :8" << QList<qint64> { 7 };
        QTest::newRow("trailing text ignored") << "1:2:3:4abc" << QList<qint64> { 1, 2, 3 };
        QTest::newRow("saturates") << "99999999999999999999999" << QList<qint64> { LLONG_MAX };
    }
    void numbersAreReadLikeScanf()
    {
        QFETCH(QString, text);
        QFETCH(QList<qint64>, values);
        QCOMPARE(NumberScan::Read(text, QLatin1Char(':'), 3).values, values);
    }

    void fontSizeParsing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("normal");
        QTest::addColumn<int>("full");
        QTest::addColumn<int>("pad");
        QTest::newRow("missing") << "" << 2 << 4 << 40;
        QTest::newRow("one number") << "1" << 2 << 4 << 40;
        QTest::newRow("two numbers") << "1:3" << 1 << 3 << 40;
        QTest::newRow("three numbers") << "0:1:75" << 0 << 1 << 75;
        QTest::newRow("garbage") << "big" << 2 << 4 << 40;
        QTest::newRow("clamped high") << "9:7:500" << 4 << 4 << 100;
        QTest::newRow("clamped low") << "-1:-3:5" << 0 << 0 << 20;
    }
    void fontSizeParsing()
    {
        QFETCH(QString, text);
        QFETCH(int, normal);
        QFETCH(int, full);
        QFETCH(int, pad);
        QCOMPARE(SettingsStore::ParseFontSize(text), (FontSizes { normal, full, pad }));
    }

    void emptyProfileGivesDefaults()
    {
        const Profile profile;
        QCOMPARE(SettingsStore::LoadFontSize(profile), (FontSizes { 2, 4, 40 }));
        QCOMPARE(SettingsStore::LoadCurrentFolder(profile), QString());
        QCOMPARE(SettingsStore::LoadViewSettings(profile), ViewSettings {});
        const ViewSettings s;
        QCOMPARE(s.skipForward, 12);
        QCOMPARE(s.picExt,
            PICEXT_BMP | PICEXT_JPEG | PICEXT_PNG | PICEXT_WEBP | PICEXT_AVIF | PICEXT_JXL);
        QVERIFY(s.hideCursor);
        QVERIFY(!s.folderOnResume);
        QCOMPARE(s.pageIndicator, 1);
        QVERIFY(s.naturalSort);
        QVERIFY(!s.widePageAlone);
        QVERIFY(ResumeStore::LoadResumeEntries(profile).isEmpty());
    }

    void storedValuesAreCorrected_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("expected");
        QTest::newRow("skip 0") << "SkipForward"
                                << "0" << 1;
        QTest::newRow("skip 1000") << "SkipForward"
                                   << "1000" << 600;
        QTest::newRow("skip back -3") << "SkipBack"
                                      << "-3" << 1;
        QTest::newRow("skip not a number") << "SkipBack"
                                           << "many" << 12;
        QTest::newRow("space 45") << "Space"
                                  << "45" << 30;
        QTest::newRow("space -2") << "Space"
                                  << "-2" << 0;
        QTest::newRow("layout 7") << "Layout"
                                  << "7" << 2;
        QTest::newRow("layout 0") << "Layout"
                                  << "0" << 2;
        QTest::newRow("layout2 3") << "Layout2"
                                   << "3" << 3;
        QTest::newRow("picext 255") << "PicExt"
                                    << "255" << 31;
        QTest::newRow("more types 255") << "PicExtMore"
                                        << "255" << 7;
        QTest::newRow("more types 2") << "PicExtMore"
                                      << "2" << 2;
        QTest::newRow("more types -8") << "PicExtMore"
                                       << "-8" << 0;
        QTest::newRow("more types not a number") << "PicExtMore"
                                                 << "all" << 7;
        QTest::newRow("bind 2") << "Bind"
                                << "2" << 0;
        QTest::newRow("bind 1") << "Bind"
                                << "1" << 1;
        QTest::newRow("enlarge 5") << "PicEnlarge"
                                   << "5" << 1;
        QTest::newRow("hide cursor 0") << "HideCursor"
                                       << "0" << 0;
        QTest::newRow("folder names 9") << "FolderOnResume"
                                        << "9" << 1;
        QTest::newRow("page indicator 0") << "PageIndicator"
                                          << "0" << 0;
        QTest::newRow("page indicator 2") << "PageIndicator"
                                          << "2" << 2;
        QTest::newRow("page indicator 3") << "PageIndicator"
                                          << "3" << 1;
        QTest::newRow("page indicator -4") << "PageIndicator"
                                           << "-4" << 1;
        QTest::newRow("page indicator not a number") << "PageIndicator"
                                                     << "off" << 1;
        QTest::newRow("natural order 3") << "NaturalSort"
                                         << "3" << 1;
        QTest::newRow("natural order not a number") << "NaturalSort"
                                                    << "yes" << 1;
        QTest::newRow("wide pages alone 1") << "WidePageAlone"
                                            << "1" << 1;
        QTest::newRow("wide pages alone 0") << "WidePageAlone"
                                            << "0" << 0;
        QTest::newRow("archives 0") << "Archives"
                                    << "0" << 0;
        QTest::newRow("archives not a number") << "Archives"
                                               << "no" << 1;
    }
    void storedValuesAreCorrected()
    {
        QFETCH(QString, name);
        QFETCH(QString, stored);
        QFETCH(int, expected);
        StoredSettings().setValue("Settings/" + name, stored);
        StoredSettings().sync();
        const ViewSettings s = SettingsStore::LoadViewSettings(Profile());
        const QHash<QString, int> read { { "SkipForward", s.skipForward },
            { "SkipBack", s.skipBack }, { "Space", s.space }, { "Layout", s.layoutPdf },
            { "Layout2", s.layoutImage }, { "PicExt", s.picExt & 0x1F },
            { "PicExtMore", s.picExt >> 5 }, { "Bind", s.bind }, { "PicEnlarge", s.picEnlarge },
            { "HideCursor", s.hideCursor }, { "FolderOnResume", s.folderOnResume },
            { "PageIndicator", s.pageIndicator }, { "NaturalSort", s.naturalSort },
            { "WidePageAlone", s.widePageAlone }, { "Archives", s.archives } };
        QCOMPARE(read.value(name), expected);
    }

    void viewSettingsRoundTrip()
    {
        Profile profile;
        const int picExt = PICEXT_BMP | PICEXT_PNG | PICEXT_TIFF | PICEXT_AVIF | PICEXT_JXL;
        const ViewSettings saved { 30, 7, 1, 3, 1, true, picExt, 12, false, true, 0, true, false };
        SettingsStore::SaveViewSettings(profile, saved);
        StoredSettings().sync();
        // The first five types where they always were, the later ones beside them.
        QCOMPARE(StoredSettings().value("Settings/PicExt").toString(), QString("21"));
        QCOMPARE(StoredSettings().value("Settings/PicExtMore").toString(), QString("6"));
        QCOMPARE(StoredSettings().value("Settings/PageIndicator").toString(), QString("0"));
        QCOMPARE(StoredSettings().value("Settings/NaturalSort").toString(), QString("1"));
        QCOMPARE(StoredSettings().value("Settings/WidePageAlone").toString(), QString("0"));
        QCOMPARE(SettingsStore::LoadViewSettings(Profile()), saved);
        const ViewSettings flipped { 30, 7, 1, 3, 1, true, 21, 12, false, true, 2, false, true,
            false };
        SettingsStore::SaveViewSettings(profile, flipped);
        QCOMPARE(SettingsStore::LoadViewSettings(Profile()), flipped);
    }

    void writesReachTheDiskAtOnce()
    {
        Profile profile;
        SettingsStore::SaveFontSize(profile, { 1, 3, 55 });
        profile.WriteProfileString("CurrentFolder", "/books/a,b");
        profile.WriteProfileInt("FullScreen", 1);
        QFile file(profile.fileName());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        QVERIFY(text.contains("FontSize=1:3:55"));
        QVERIFY(text.contains("FullScreen=1"));
        QSettings fresh(profile.fileName(), QSettings::IniFormat);
        QCOMPARE(fresh.value("Settings/CurrentFolder").toString(), QString("/books/a,b"));
        QCOMPARE(SettingsStore::LoadFontSize(profile), (FontSizes { 1, 3, 55 }));
    }

    void handEditedListValueKeepsItsText()
    {
        const Profile profile;
        QFile file(profile.fileName());
        QDir().mkpath(QFileInfo(file).absolutePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Settings]\nCurrentFolder=/books/x, y\n");
        file.close();
        StoredSettings().sync();
        QCOMPARE(Profile().GetProfileString("CurrentFolder"), QString("/books/x,y"));
    }

    void resumeValuesRoundTrip_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("images");
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("layout");
        QTest::addColumn<int>("bind");
        QTest::addColumn<QString>("path");
        // The binding the spreads are shown with: 0 right (read right to left), 1 left.
        QTest::addColumn<int>("shown");
        // An entry written before PDFs could be read right to left reads left to right,
        // whatever its binding field says.
        QTest::newRow("pdf") << "2|12|200|2|0|1048576|/b/x.pdf" << false << 12 << 2 << 0
                             << "/b/x.pdf" << 1;
        QTest::newRow("pdf, right to left")
            << "2|12|200|514|0|1048576|/b/x.pdf" << false << 12 << 2 << 0 << "/b/x.pdf" << 0;
        QTest::newRow("image, left")
            << "258|5|40|259|0|777|/b/c/005.jpg" << true << 5 << 3 << 1 << "/b/c/005.jpg" << 1;
        QTest::newRow("image, right")
            << "258|5|40|3|0|777|/b/c/005.jpg" << true << 5 << 3 << 0 << "/b/c/005.jpg" << 0;
        QTest::newRow("bar in name")
            << "2|3|9|1|0|10|/b/a|b.pdf" << false << 3 << 1 << 0 << "/b/a|b.pdf" << 1;
        QTest::newRow("newline in name")
            << "2|3|9|1|0|10|/b/a\nb.pdf" << false << 3 << 1 << 0 << "/b/a\nb.pdf" << 1;
    }
    void resumeValuesRoundTrip()
    {
        QFETCH(QString, text);
        QFETCH(bool, images);
        QFETCH(int, page);
        QFETCH(int, layout);
        QFETCH(int, bind);
        QFETCH(QString, path);
        QFETCH(int, shown);
        const auto record = ResumeStore::Parse(text);
        QVERIFY(record);
        QCOMPARE(record->bImages, images);
        QCOMPARE(record->nType, 2);
        QCOMPARE(record->nPage, page);
        QCOMPARE(record->nLayout, layout);
        QCOMPARE(record->nBind, bind);
        QCOMPARE(record->strPath, path);
        QCOMPARE(record->SpreadBinding(), shown);
        QCOMPARE(ResumeStore::Format(*record), text);
    }

    void theRightToLeftBitIsAPdfsAlone()
    {
        // An image book's binding has its own bit; the PDF's bit, put there by hand, is
        // dropped rather than read.
        const auto images = ResumeStore::Parse("258|5|40|771|0|777|/b/c/005.jpg");
        QVERIFY(images);
        QCOMPARE(images->nLayout, 3);
        QCOMPARE(images->SpreadBinding(), int(BIND_LEFT));
        QVERIFY(!images->bRightToLeft);
        QCOMPARE(ResumeStore::Format(*images), QString("258|5|40|259|0|777|/b/c/005.jpg"));
        // A PDF chosen right to left in the reader is written with it.
        BookRecord pdf;
        pdf.nType = TYPE_FILE;
        pdf.nPage = 3;
        pdf.nPageCount = 9;
        pdf.nLayout = LAYOUT_SPREAD_NOCOVER;
        pdf.strPath = "/b/manga.pdf";
        QCOMPARE(ResumeStore::Format(pdf), QString("2|3|9|3|0|0|/b/manga.pdf"));
        pdf.SetSpreadBinding(BIND_RIGHT);
        QCOMPARE(pdf.nBind, -1);
        QCOMPARE(ResumeStore::Format(pdf), QString("2|3|9|515|0|0|/b/manga.pdf"));
        QCOMPARE(ResumeStore::Parse(ResumeStore::Format(pdf))->SpreadBinding(), int(BIND_RIGHT));
    }

    void malformedResumeValuesAreSkipped_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << "";
        QTest::newRow("five numbers") << "2|12|200|2|0|/x.pdf";
        QTest::newRow("no path field") << "2|12|200|2|0|1048576";
        QTest::newRow("words") << "pdf|one|two|three|four|five|/x.pdf";
    }
    void malformedResumeValuesAreSkipped()
    {
        QFETCH(QString, text);
        QVERIFY(!ResumeStore::Parse(text));
    }

    void resumeListSavesAllHundredValues()
    {
        Profile profile;
        for (int i = 0; i < 100; ++i)
            profile.WriteProfileString(QString("Resume%1").arg(i), "2|1|5|1|0|9|/old.pdf");
        StoredSettings().setValue("Settings/Resume7", "garbage");
        StoredSettings().sync();
        QCOMPARE(ResumeStore::LoadResumeEntries(profile).size(), 99);

        BookRecordList entries;
        for (int i = 0; i < 3; ++i) {
            BookRecord r;
            r.nType = TYPE_FILE;
            r.nPage = i + 1;
            r.nBind = BIND_RIGHT; // "not chosen" is stored as right binding
            r.strPath = QString("/books/%1.pdf").arg(i);
            entries.append(r);
        }
        ResumeStore::SaveResumeEntries(profile, entries);
        StoredSettings().sync();
        QCOMPARE(StoredSettings().value("Settings/Resume2").toString(),
            QString("2|3|-1|0|0|0|/books/2.pdf"));
        for (int i = 3; i < 100; ++i)
            QCOMPARE(
                StoredSettings().value(QString("Settings/Resume%1").arg(i)).toString(), QString());
        QCOMPARE(ResumeStore::LoadResumeEntries(profile), entries);
    }
};

LUMIVO_TEST_MAIN(TestSettings)
#include "tst_settings.moc"
