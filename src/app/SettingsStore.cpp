#include "app/SettingsStore.h"

#include "platform/Paths.h"
#include "platform/Profile.h"
#include "platform/ScanNumbers.h"
#include "view/IndicatorRules.h"

#include <algorithm>

namespace
{
constexpr int kPicExtBits = 5;
constexpr int kPicExtMask = (1 << kPicExtBits) - 1;
constexpr int kPicExtMoreMask = 0x07;
} // namespace

FontSizes SettingsStore::ParseFontSize(const QString& text)
{
    const NumberScan scan = NumberScan::Read(text, QLatin1Char(':'), 3);
    FontSizes sizes;
    if (scan.values.size() >= 2) {
        sizes.normal = ToIntField(scan.values[0]);
        sizes.full = ToIntField(scan.values[1]);
    }
    if (scan.values.size() == 3)
        sizes.pad = ToIntField(scan.values[2]);
    // There is no geometry outside these ranges, so a hand-edited value is pulled in.
    sizes.normal = std::clamp(sizes.normal, kMinSizeIndex, kMaxSizeIndex);
    sizes.full = std::clamp(sizes.full, kMinSizeIndex, kMaxSizeIndex);
    sizes.pad = std::clamp(sizes.pad, kMinPadSize, kMaxPadSize);
    return sizes;
}

QString SettingsStore::FormatFontSize(const FontSizes& sizes)
{
    return QStringLiteral("%1:%2:%3").arg(sizes.normal).arg(sizes.full).arg(sizes.pad);
}

int SettingsStore::ClampSkip(int pages)
{
    return std::clamp(pages, 1, 600);
}

int SettingsStore::LayoutFrom(int stored)
{
    return stored >= 1 && stored <= 3 ? stored : 2;
}

int SettingsStore::BindFrom(int stored)
{
    return stored == 1 ? 1 : 0;
}

int SettingsStore::PicExtFrom(int stored)
{
    return stored & kPicExtMask;
}

int SettingsStore::PicExtMoreFrom(int stored)
{
    return (stored & kPicExtMoreMask) << kPicExtBits;
}

int SettingsStore::SpaceFrom(int stored)
{
    return std::clamp(stored, 0, 30);
}

int SettingsStore::CropMarginFrom(int stored)
{
    return std::clamp(stored, 0, 10);
}

FontSizes SettingsStore::LoadFontSize(const Profile& profile)
{
    return ParseFontSize(profile.GetProfileString(QStringLiteral("FontSize")));
}

void SettingsStore::SaveFontSize(Profile& profile, const FontSizes& sizes)
{
    profile.WriteProfileString(QStringLiteral("FontSize"), FormatFontSize(sizes));
}

void SettingsStore::LoadSkipPages(const Profile& profile, int& forward, int& back)
{
    forward = ClampSkip(profile.GetProfileInt(QStringLiteral("SkipForward"), 12));
    back = ClampSkip(profile.GetProfileInt(QStringLiteral("SkipBack"), 12));
}

QString SettingsStore::LoadCurrentFolder(const Profile& profile)
{
    return Paths::FromStored(profile.GetProfileString(QStringLiteral("CurrentFolder")));
}

ViewSettings SettingsStore::LoadViewSettings(const Profile& profile)
{
    ViewSettings s;
    LoadSkipPages(profile, s.skipForward, s.skipBack);
    s.layoutPdf = LayoutFrom(profile.GetProfileInt(QStringLiteral("Layout"), 2));
    s.layoutImage = LayoutFrom(profile.GetProfileInt(QStringLiteral("Layout2"), 2));
    s.bind = BindFrom(profile.GetProfileInt(QStringLiteral("Bind"), 0));
    s.picEnlarge = profile.GetProfileInt(QStringLiteral("PicEnlarge"), 0) != 0;
    s.picExt = PicExtFrom(profile.GetProfileInt(QStringLiteral("PicExt"), 7))
        | PicExtMoreFrom(profile.GetProfileInt(QStringLiteral("PicExtMore"), 7));
    s.space = SpaceFrom(profile.GetProfileInt(QStringLiteral("Space"), 0));
    s.hideCursor = profile.GetProfileInt(QStringLiteral("HideCursor"), 1) != 0;
    s.folderOnResume = profile.GetProfileInt(QStringLiteral("FolderOnResume"), 0) != 0;
    s.pageIndicator
        = IndicatorRules::ShownFrom(profile.GetProfileInt(QStringLiteral("PageIndicator"), 1));
    s.naturalSort = profile.GetProfileInt(QStringLiteral("NaturalSort"), 1) != 0;
    s.widePageAlone = profile.GetProfileInt(QStringLiteral("WidePageAlone"), 0) != 0;
    s.archives = profile.GetProfileInt(QStringLiteral("Archives"), 1) != 0;
    s.lastPlace = profile.GetProfileInt(QStringLiteral("LastPlace"), 1) != 0;
    s.cropBorders = profile.GetProfileInt(QStringLiteral("CropBorders"), 0) != 0;
    s.cropMargin = CropMarginFrom(profile.GetProfileInt(QStringLiteral("CropMargin"), 1));
    s.nightMode = profile.GetProfileInt(QStringLiteral("NightMode"), 0) != 0;
    s.fitWidthPdf = profile.GetProfileInt(QStringLiteral("FitWidthPdf"), 0) != 0;
    s.fitWidthImages = profile.GetProfileInt(QStringLiteral("FitWidthImages"), 0) != 0;
    s.folderCovers = profile.GetProfileInt(QStringLiteral("FolderCovers"), 0) != 0;
    return s;
}

void SettingsStore::SaveViewSettings(Profile& profile, const ViewSettings& s)
{
    const auto number = [](int value) { return QString::number(value); };
    // One write to the disk for all of them.
    profile.WriteProfileStrings({ { QStringLiteral("SkipForward"), number(s.skipForward) },
        { QStringLiteral("SkipBack"), number(s.skipBack) },
        { QStringLiteral("Layout"), number(s.layoutPdf) },
        { QStringLiteral("Layout2"), number(s.layoutImage) },
        { QStringLiteral("Bind"), number(s.bind) },
        { QStringLiteral("PicEnlarge"), number(s.picEnlarge ? 1 : 0) },
        { QStringLiteral("PicExt"), number(s.picExt & kPicExtMask) },
        { QStringLiteral("PicExtMore"), number(s.picExt >> kPicExtBits & kPicExtMoreMask) },
        { QStringLiteral("Space"), number(s.space) },
        { QStringLiteral("HideCursor"), number(s.hideCursor ? 1 : 0) },
        { QStringLiteral("FolderOnResume"), number(s.folderOnResume ? 1 : 0) },
        { QStringLiteral("PageIndicator"), number(s.pageIndicator) },
        { QStringLiteral("NaturalSort"), number(s.naturalSort ? 1 : 0) },
        { QStringLiteral("WidePageAlone"), number(s.widePageAlone ? 1 : 0) },
        { QStringLiteral("Archives"), number(s.archives ? 1 : 0) },
        { QStringLiteral("LastPlace"), number(s.lastPlace ? 1 : 0) },
        { QStringLiteral("CropBorders"), number(s.cropBorders ? 1 : 0) },
        { QStringLiteral("CropMargin"), number(s.cropMargin) },
        { QStringLiteral("NightMode"), number(s.nightMode ? 1 : 0) },
        { QStringLiteral("FitWidthPdf"), number(s.fitWidthPdf ? 1 : 0) },
        { QStringLiteral("FitWidthImages"), number(s.fitWidthImages ? 1 : 0) },
        { QStringLiteral("FolderCovers"), number(s.folderCovers ? 1 : 0) } });
}

void SettingsStore::SaveNightMode(Profile& profile, bool night)
{
    profile.WriteProfileStrings(
        { { QStringLiteral("NightMode"), QString::number(night ? 1 : 0) } });
}
