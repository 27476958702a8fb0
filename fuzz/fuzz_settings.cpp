// libFuzzer target: the numbers of "FontSize" and "WindowPos", and stored paths, as a
// hand edit or a damaged file may leave them. Values come out within their limits, and
// a stored path comes back byte for byte.

#include "app/SettingsStore.h"
#include "app/WindowPlacement.h"
#include "platform/Paths.h"

#include <QRect>
#include <QString>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString text = QString::fromUtf8(bytes);

    const FontSizes sizes = SettingsStore::ParseFontSize(text);
    if (sizes.normal < 0 || sizes.normal > 4 || sizes.full < 0 || sizes.full > 4 || sizes.pad < 20
        || sizes.pad > 100)
        std::abort();
    if (SettingsStore::ParseFontSize(SettingsStore::FormatFontSize(sizes)) != sizes)
        std::abort();

    if (const auto wp = WindowPlacement::Parse(text)) {
        const QRect desktop(0, 0, 3840, 2160);
        const QRect placed = WindowPlacement::WithinDesktop(wp->NormalRect(), desktop);
        if (placed.width() > 2 * desktop.width() || placed.height() > 2 * desktop.height()
            || !placed.intersects(desktop))
            std::abort();
    }

    const QString path = Paths::FromNative(bytes);
    if (Paths::ToNative(path) != bytes || Paths::FromStored(Paths::ToStored(path)) != path)
        std::abort();
    return 0;
}
