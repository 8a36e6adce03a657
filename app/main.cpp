// Vexa AI: the desktop client of the Vexa AI service.

#include "vexaaiapp.h"

#include <QGuiApplication>

int main(int argc, char *argv[])
{
    QGuiApplication application(argc, argv);
    vexa::VexaAIApp::prepareApplication();
    vexa::VexaAIApp app;
    if (!app.start())
        return 1;
    return application.exec();
}
