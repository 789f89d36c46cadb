#include "CResidentLink.h"
#include "CRegistEntry.h"
#include "CRegistLayout.h"
#include "PathUtil.h"

#include <objbase.h>
#include <shlobj.h>


// COM for the span of one shortcut operation; the tool has no other use for it.
class CComScope
{
public:
    CComScope() : m_hr(CoInitialize(NULL)) {}
    ~CComScope()
    {
        if (SUCCEEDED(m_hr))
            CoUninitialize();
    }

private:
    HRESULT m_hr;
};

static IShellLinkA* CreateLinkObject()
{
    IShellLinkA* pLink = NULL;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  reinterpret_cast<void**>(&pLink));
    return SUCCEEDED(hr) ? pLink : NULL;
}

static BOOL ToWidePath(LPCSTR pszPath, WCHAR* widePath)
{
    ZeroMemory(widePath, MAX_PATH * sizeof(WCHAR));
    return MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, pszPath, -1, widePath, MAX_PATH) != 0;
}

// Saves (bSave) or loads the link object through its file interface; the
// HRESULT of the failing step.
static HRESULT PersistLink(IShellLinkA* pLink, LPCSTR pszPath, BOOL bSave)
{
    WCHAR widePath[MAX_PATH];
    if (!ToWidePath(pszPath, widePath))
        return HRESULT_FROM_WIN32(GetLastError());
    IPersistFile* pFile = NULL;
    HRESULT hr = pLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&pFile));
    if (hr != S_OK || !pFile)
        return FAILED(hr) ? hr : E_NOINTERFACE;
    hr = bSave ? pFile->Save(widePath, TRUE) : pFile->Load(widePath, STGM_READ);
    pFile->Release();
    return hr;
}

int CResidentLink::Write(LPCSTR pszLinkPath, const CRegistEntry& entry, const CRegistLayout& layout)
{
    CComScope com;
    IShellLinkA* pLink = CreateLinkObject();
    if (!pLink)
        return ResultNoLinkObject;
    pLink->SetPath(layout.ResidentPath());
    pLink->SetDescription(entry.m_strDispName);
    pLink->SetArguments(layout.Arguments());
    pLink->SetWorkingDirectory(layout.WorkFolder(entry));
    pLink->SetIconLocation(CRegistLayout::IconSource(entry), entry.m_nIconIndex);
    HRESULT hr = PersistLink(pLink, pszLinkPath, TRUE);
    pLink->Release();
    return SUCCEEDED(hr) ? 0 : static_cast<int>(hr);
}

// Loads the shortcut into the link object and reads its target and arguments.
static BOOL ReadLink(IShellLinkA* pLink, LPCSTR pszLinkPath, CString& target, CString& arguments)
{
    // A link's argument line may be longer than a path.
    const int kArgsSize = 1024;
    char path[MAX_PATH];
    char args[kArgsSize];
    path[0] = args[0] = '\0';
    BOOL bRead = SUCCEEDED(PersistLink(pLink, pszLinkPath, FALSE)) &&
                 SUCCEEDED(pLink->GetPath(path, MAX_PATH, NULL, SLGP_RAWPATH)) &&
                 SUCCEEDED(pLink->GetArguments(args, kArgsSize));
    path[MAX_PATH - 1] = args[kArgsSize - 1] = '\0';
    target = bRead ? path : "";
    arguments = bRead ? args : "";
    return bRead;
}

BOOL CResidentLink::Read(LPCSTR pszLinkPath, CString& target, CString& arguments)
{
    CComScope com;
    IShellLinkA* pLink = CreateLinkObject();
    if (!pLink)
        return FALSE;
    BOOL bRead = ReadLink(pLink, pszLinkPath, target, arguments);
    pLink->Release();
    return bRead;
}

int CResidentLink::ReadEach(const CStringArray& linkPaths, CStringArray& targets, CStringArray& arguments)
{
    CComScope com;
    IClassFactory* pFactory = NULL;
    if (FAILED(CoGetClassObject(CLSID_ShellLink, CLSCTX_INPROC_SERVER, NULL, IID_IClassFactory,
                                reinterpret_cast<void**>(&pFactory))))
        pFactory = NULL;
    int nRead = 0;
    for (INT_PTR i = 0; i < linkPaths.GetSize(); ++i) {
        CString target, args;
        IShellLinkA* pLink = NULL;
        if (pFactory && SUCCEEDED(pFactory->CreateInstance(NULL, IID_IShellLinkA,
                                                           reinterpret_cast<void**>(&pLink)))) {
            nRead += ReadLink(pLink, linkPaths[i], target, args) ? 1 : 0;
            pLink->Release();
        }
        targets.Add(target);
        arguments.Add(args);
    }
    if (pFactory)
        pFactory->Release();
    return nRead;
}

int CResidentLink::LocateStartupFolder(CString& path)
{
    char buffer[MAX_PATH];
    ZeroMemory(buffer, sizeof(buffer));
    HRESULT hr = SHGetFolderPathA(NULL, CSIDL_STARTUP | CSIDL_FLAG_DONT_VERIFY, NULL,
                                  SHGFP_TYPE_CURRENT, buffer);
    path = SUCCEEDED(hr) ? buffer : "";
    if (FAILED(hr))
        return HRESULT_FACILITY(hr) == FACILITY_WIN32 ? HRESULT_CODE(hr) : static_cast<int>(hr);
    return path.IsEmpty() ? ERROR_PATH_NOT_FOUND : 0;
}

int CResidentLink::LocateStartupFolder(CRegistLayout& layout)
{
    CString path;
    int result = LocateStartupFolder(path);
    layout.SetStartupFolder(result, path);
    return result;
}
