#include "CTrayNotice.h"
#include "CRegistLayout.h"
#include "CRegistStore.h"
#include "CResidentChannel.h"
#include "resource.h"

CTrayNotice::CTrayNotice()
    : m_nOutcome(OutcomeNone), m_nCode(0)
{
}

void CTrayNotice::AfterCommit(const CRegistEntry& entry, const CRegistLayout& layout, BOOL bStartNew)
{
    // A registration written over one whose resident runs (the same program
    // registered again) updates that resident: a second would show nothing.
    if (CResidentChannel(layout.SettingsPath()).NotifyReload() > 0) {
        m_nOutcome = OutcomeUpdated;
        return;
    }
    if (!bStartNew) {
        m_nOutcome = OutcomeNone;
        return;
    }
    m_nCode = CRegistStore::StartResident(entry, layout);
    m_nOutcome = m_nCode == 0 ? OutcomeShown : OutcomeNotStarted;
}

void CTrayNotice::AfterRemoval(const CResidentChannel& channel)
{
    CResidentChannel::Outcome sent = channel.Send(CResidentChannel::RequestEnd,
                                                  CResidentChannel::kDefaultTimeoutMs);
    // A window that did not answer may be this registration's resident of an
    // earlier version: the page does not claim that it ended.
    if (sent.nSilent > 0 || sent.nEnded < sent.nTaken)
        m_nOutcome = OutcomeLeftRunning;
    else
        m_nOutcome = sent.nEnded > 0 ? OutcomeEnded : OutcomeNone;
}

CString CTrayNotice::Text() const
{
    CString text;
    switch (m_nOutcome) {
    case OutcomeShown:
        text.LoadString(IDS_TRAY_SHOWN);
        break;
    case OutcomeNotStarted:
        text.Format(IDS_TRAY_NOT_STARTED, m_nCode);
        break;
    case OutcomeUpdated:
        text.LoadString(IDS_TRAY_UPDATED);
        break;
    case OutcomeEnded:
        text.LoadString(IDS_TRAY_ENDED);
        break;
    case OutcomeLeftRunning:
        text.LoadString(IDS_TRAY_LEFT_RUNNING);
        break;
    default:
        break;
    }
    return text;
}
