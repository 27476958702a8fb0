#include "app/TalvexApp.h"
#include "platform/LeftRunning.h"

#include <cstdlib>

int main(int argc, char** argv)
{
    int code = 0;
    {
        CTalvexApp app(argc, argv);
        if (app.InitInstance())
            app.exec();
        code = app.ExitInstance();
    }
    // Everything is saved. A render or a read still going on in the background would
    // find its libraries torn down under it; end without tearing them down.
    if (LeftRunning::Count() > 0)
        std::_Exit(code);
    return code;
}
