// The program's entry: the layer runs the application object, g_senderApp.
#include "app/sender_app.h"

int main(int argc, char** argv)
{
    // Naming the application object here also links it into the program.
    if (AfxGetApp() != &g_senderApp)
        return 1;
    return AfxWinMain(argc, argv);
}
