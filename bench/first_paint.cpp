// Times a program from its start until its first page is on the screen, as a reader
// sees it, by watching the middle quarter of the screen, which must start uniform (a
// fresh Xvfb with -br). Two moments are reported:
// - shown: the middle is no longer uniform;
// - settled: the middle first looks as it will stay (nothing changes there for
//   SETTLE ms afterwards), so blank paper, "Loading..." or a blurred stand-in before
//   the real page do not count.
// The program is ended afterwards.
//
//   bench_first_paint [--timeout MS] [--settle MS] [--shot FILE.ppm] -- PROGRAM [ARGS...]
//
// Prints "SHOWN SETTLED" in milliseconds, or "timeout"; exits 1 when nothing was seen.
// With --shot, the whole screen as it settled is written out, to see what counted.

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string_view>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace
{
using Clock = std::chrono::steady_clock;

struct Look {
    bool uniform = true;
    size_t hash = 0;
};

// The middle quarter of the screen: whether it has one colour, and what it holds.
Look MiddleOf(Display* display)
{
    const int width = DisplayWidth(display, DefaultScreen(display));
    const int height = DisplayHeight(display, DefaultScreen(display));
    const int w = width / 4;
    const int h = height / 4;
    XImage* image = XGetImage(display, DefaultRootWindow(display), (width - w) / 2,
        (height - h) / 2, w, h, AllPlanes, ZPixmap);
    if (!image)
        return {};
    Look look;
    const unsigned long first = XGetPixel(image, 0, 0);
    for (int y = 0; y < h && look.uniform; ++y) {
        for (int x = 0; x < w && look.uniform; ++x)
            look.uniform = XGetPixel(image, x, y) == first;
    }
    look.hash = std::hash<std::string_view>()(
        std::string_view(image->data, size_t(image->bytes_per_line) * size_t(h)));
    XDestroyImage(image);
    return look;
}

void Shoot(Display* display, const char* path)
{
    const int width = DisplayWidth(display, DefaultScreen(display));
    const int height = DisplayHeight(display, DefaultScreen(display));
    XImage* image
        = XGetImage(display, DefaultRootWindow(display), 0, 0, width, height, AllPlanes, ZPixmap);
    FILE* out = std::fopen(path, "wb");
    if (image && out) {
        std::fprintf(out, "P6\n%d %d\n255\n", width, height);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const unsigned long p = XGetPixel(image, x, y);
                const unsigned char rgb[3] = { static_cast<unsigned char>(p >> 16),
                    static_cast<unsigned char>(p >> 8), static_cast<unsigned char>(p) };
                std::fwrite(rgb, 1, 3, out);
            }
        }
    }
    if (out)
        std::fclose(out);
    if (image)
        XDestroyImage(image);
}

void End(pid_t child)
{
    kill(child, SIGTERM);
    for (int i = 0; i < 200; ++i) {
        if (waitpid(child, nullptr, WNOHANG) == child)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
}
} // namespace

int main(int argc, char** argv)
{
    int timeoutMs = 10000;
    int settleMs = 1500;
    const char* shot = nullptr;
    int i = 1;
    for (; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (std::strcmp(argv[i], "--timeout") == 0 && i + 1 < argc)
            timeoutMs = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--settle") == 0 && i + 1 < argc)
            settleMs = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--shot") == 0 && i + 1 < argc)
            shot = argv[++i];
    }
    if (i + 1 >= argc) {
        std::fprintf(stderr,
            "usage: bench_first_paint [--timeout MS] [--settle MS] [--shot FILE.ppm] -- "
            "PROGRAM [ARGS...]\n");
        return 2;
    }
    char** program = argv + i + 1;
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "bench_first_paint: cannot open the display\n");
        return 2;
    }
    Look last = MiddleOf(display);
    if (!last.uniform) {
        std::fprintf(stderr, "bench_first_paint: the middle of the screen is not uniform yet\n");
        return 2;
    }
    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(program[0], program);
        _exit(127);
    }
    const auto elapsed
        = [&] { return std::chrono::duration<double, std::milli>(Clock::now() - start).count(); };
    double shown = -1;
    double changed = 0;
    while (elapsed() < timeoutMs) {
        const Look look = MiddleOf(display);
        const double now = elapsed();
        if (look.hash != last.hash) {
            last = look;
            changed = now;
        }
        if (!look.uniform && shown < 0)
            shown = now;
        if (shown >= 0 && now - changed >= settleMs)
            break;
        if (waitpid(child, nullptr, WNOHANG) == child)
            break;
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    if (shown >= 0 && shot)
        Shoot(display, shot);
    End(child);
    XCloseDisplay(display);
    if (shown < 0) {
        std::puts("timeout");
        return 1;
    }
    std::printf("%.1f %.1f\n", shown, changed);
    return 0;
}
