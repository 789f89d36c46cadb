// The registration tool's application: runs once at a time and shows the main
// menu dialog; the process ends when the dialog closes.
#pragma once

#include "CWinApp.h"

class CTavroApp : public CWinApp
{
public:
    CTavroApp();

    // Always FALSE: the work is done when the main dialog closes, and the
    // framework then ends the program through ExitInstance.
    virtual BOOL InitInstance();
    // Gives up the single-instance mark; returns the framework's exit code.
    virtual int ExitInstance();

    // Name of the mutex whose existence marks a running tool.
    static const char kMutexName[];

    HANDLE m_hMutex;

protected:
    // TRUE when this start may run: the mutex is new (or could not be made at
    // all, in which case the tool runs without the guard). FALSE after the
    // "already running" message.
    BOOL ClaimSingleInstance();
    // FALSE after a message when the tool's own path does not fit 259 bytes
    // or holds a character the code page cannot represent: every entry
    // folder and settings file lies below that folder.
    BOOL CheckModulePath();
    // Says so when TavroCore.Exe is not beside the tool.
    void CheckResidentBeside();
    // Shows the main dialog modally.
    virtual void RunMainDialog();
};
