// The program's entry: the layer runs the application object g_senderApp.
#include "platform/ui/win_app.h"

int main(int argc, char** argv)
{
    return AfxWinMain(argc, argv);
}
