// The registration tool's one application object; the framework's WinMain runs it.
#include "CTavroApp.h"

static CTavroApp theApp;
