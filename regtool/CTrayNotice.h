// What the wizard's work did to the registration's tray icon, for the
// completion page to say: a new registration's resident started, a running
// resident told to take its settings again, or told to end with its
// registration.
#pragma once

#include "CString.h"

class CRegistEntry;
class CRegistLayout;
class CResidentChannel;

class CTrayNotice
{
public:
    enum Outcome {
        OutcomeNone,         // no resident concerned: nothing to say
        OutcomeShown,        // the new registration's resident started
        OutcomeNotStarted,   // it could not be started (m_nCode)
        OutcomeUpdated,      // a running resident took the new settings
        OutcomeEnded,        // the deleted registration's resident ended
        OutcomeLeftRunning   // a resident that did not answer may still show the icon
    };

    CTrayNotice();

    // After a commit: a resident running for the registration takes the new
    // settings; with none running, a new registration's (bStartNew) starts.
    void AfterCommit(const CRegistEntry& entry, const CRegistLayout& layout, BOOL bStartNew);
    // After a completed removal: the residents the channel reaches (made
    // while the settings file still existed) remove their icons and end.
    void AfterRemoval(const CResidentChannel& channel);
    // The completion page's note; "" when there is nothing to say.
    CString Text() const;

    int m_nOutcome;
    int m_nCode;
};
