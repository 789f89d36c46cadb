// The one application object of TavroCore.Exe; the framework's WinMain finds it.
#include "CTavroCoreApp.h"

static CTavroCoreApp theApp;
