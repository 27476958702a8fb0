#pragma once

#include <QList>
#include <QString>

enum EntryType { TYPE_DRIVE = 0, TYPE_FOLDER = 1, TYPE_FILE = 2, TYPE_MISSING = 3 };
enum Layout { LAYOUT_SINGLE = 1, LAYOUT_SPREAD_COVER = 2, LAYOUT_SPREAD_NOCOVER = 3 };
enum Binding { BIND_RIGHT = 0, BIND_LEFT = 1 };
enum PicExt {
    PICEXT_BMP = 0x01,
    PICEXT_JPEG = 0x02,
    PICEXT_PNG = 0x04,
    PICEXT_GIF = 0x08,
    PICEXT_TIFF = 0x10,
    // Stored apart, under "PicExtMore", shifted down to 1, 2 and 4.
    PICEXT_WEBP = 0x20,
    PICEXT_AVIF = 0x40,
    PICEXT_JXL = 0x80,
    // Not a picture type and never stored with them: archives of the enabled pictures
    // are listed as books.
    PICEXT_ARCHIVES = 0x10000
};

// One Folder-screen entry, resume entry or open book. For an image book strPath
// names the image file of the current page, or the archive the pages are in.
struct BookRecord {
    QString strPath;
    int nType = TYPE_MISSING;
    bool bImages = false;
    quint64 nSize = 0;
    int nPage = -1;
    int nPageCount = -1;
    int nLayout = 0;
    int nBind = -1;
    int nZoom = 0;
    // A PDF's spreads read right to left, the lower page on the right. Never set for an
    // image book, whose binding is nBind.
    bool bRightToLeft = false;
    // The pages' borders are cut, for either kind of book.
    bool bCrop = false;
    // The pages are fitted to the width and follow one another down the screen.
    bool bFitWidth = false;

    // The binding the spreads are shown with: an image book's nBind; a PDF's own choice,
    // kept apart because PDF entries have always carried an nBind of 0 that never meant
    // right binding.
    int SpreadBinding() const { return bImages ? nBind : (bRightToLeft ? BIND_RIGHT : BIND_LEFT); }
    void SetSpreadBinding(int bind)
    {
        if (bImages)
            nBind = bind;
        else
            bRightToLeft = bind == BIND_RIGHT;
    }
    bool operator==(const BookRecord&) const = default;
};

using BookRecordList = QList<BookRecord>;
