#include "app/TalvexApp.h"

int main(int argc, char** argv)
{
    CTalvexApp app(argc, argv);
    if (app.InitInstance())
        app.exec();
    return app.ExitInstance();
}
