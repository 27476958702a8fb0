#pragma once

#include <QString>

class Profile;

// The three numbers of "FontSize": size index of the normal window and of full
// screen, and the remote pad's size in percent.
struct FontSizes {
    int normal = 2;
    int full = 4;
    int pad = 40;
    bool operator==(const FontSizes&) const = default;
};

// The values the viewer reads at start, after its limits are applied.
struct ViewSettings {
    int skipForward = 12;
    int skipBack = 12;
    int layoutPdf = 2;
    int layoutImage = 2;
    int bind = 0;
    bool picEnlarge = false;
    // BMP, JPEG and PNG, then WebP, AVIF and JPEG XL, as bits of the PicExt enum.
    int picExt = 0xE7;
    int space = 0;
    bool hideCursor = true;
    bool folderOnResume = false;
    // IndicatorRules::Shown.
    int pageIndicator = 1;
    bool naturalSort = true;
    bool widePageAlone = false;
    bool archives = true;
    // A PDF or an archive opens where it was left, and a folder shows its last page.
    bool lastPlace = true;
    // Books opened from the Folder screen for the first time have their borders cut.
    bool cropBorders = false;
    // Kept around what is left of a page once its borders are cut: percent of its size.
    int cropMargin = 1;
    // Every book is shown in night colours until it is turned off.
    bool nightMode = false;
    // Books no entry speaks for open fitted to the width, PDFs and image books apart.
    bool fitWidthPdf = false;
    bool fitWidthImages = false;
    // The Folder screen shows its books as their covers.
    bool folderCovers = false;
    bool operator==(const ViewSettings&) const = default;
};

// Names, defaults and limits of the stored settings.
class SettingsStore
{
public:
    static constexpr int kMinSizeIndex = 0;
    static constexpr int kMaxSizeIndex = 4;
    static constexpr int kMinPadSize = 20;
    static constexpr int kMaxPadSize = 100;

    static FontSizes ParseFontSize(const QString& text);
    static QString FormatFontSize(const FontSizes& sizes);
    static int ClampSkip(int pages);
    static int LayoutFrom(int stored);
    static int BindFrom(int stored);
    // "PicExt" holds the first five image types, "PicExtMore" those that came after,
    // from its bit 1 on; in memory they are one mask, the later ones from bit 0x20 on.
    static int PicExtFrom(int stored);
    static int PicExtMoreFrom(int stored);
    static int SpaceFrom(int stored);
    static int CropMarginFrom(int stored);

    static FontSizes LoadFontSize(const Profile& profile);
    static void SaveFontSize(Profile& profile, const FontSizes& sizes);
    static void LoadSkipPages(const Profile& profile, int& forward, int& back);
    static QString LoadCurrentFolder(const Profile& profile);
    // "SkipForward" to "FitWidthImages", in the order they are read at start.
    static ViewSettings LoadViewSettings(const Profile& profile);
    static void SaveViewSettings(Profile& profile, const ViewSettings& settings);
    // Night reading is turned on and off while reading, apart from the dialog.
    static void SaveNightMode(Profile& profile, bool night);
};
