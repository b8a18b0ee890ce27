// Project files: clearing, saving (through a temporary file that replaces the
// target only once complete; those of killed saves are swept by later ones)
// and loading (staged, so that a failed load leaves the project as it was).
// The file work runs without the engine lock: a save writes a copy taken
// under it, a load installs its image under it, and what leaves the engine
// is freed after it.
#include "files/ControlInterface.h"
#include "files/ProjectWriter.h"
#include "platform/kernel/TextConvert.h"
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <cwctype>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr wchar_t kProjectExtension[] = L".pnd";

bool EndsWithProjectExtension(const std::wstring& path) {
    if (path.size() < 4) return false;
    for (size_t i = 0; i < 4; ++i)
        if (static_cast<wchar_t>(std::towlower(static_cast<wint_t>(path[path.size() - 4 + i]))) !=
            kProjectExtension[i])
            return false;
    return true;
}

// A name for the temporary file next to the target, so that renaming it over
// the target stays within one file system.
std::wstring TemporaryPathFor(const std::wstring& target) {
    static std::atomic<unsigned> counter{0};
    const size_t slash = target.find_last_of(L'/');
    const std::wstring folder = slash == std::wstring::npos ? L"" : target.substr(0, slash + 1);
    wchar_t name[64];
    std::swprintf(name, 64, L".pandrel-save-%d-%u.tmp", static_cast<int>(::getpid()), counter++);
    return folder + name;
}

std::string Narrow(const std::wstring& path) {
    std::string out(path.size() * 4 + 1, '\0');
    out.resize(WideToMultiByte(path.c_str(), out.data(), out.size()));
    return out;
}

// Removes the temporaries that saves killed part-way left in the target's
// folder: only those of processes that no longer run, and not touched for a
// minute, so that a save in progress elsewhere keeps its file.
void RemoveStaleTemporaries(const std::wstring& target) {
    constexpr time_t kStaleSeconds = 60;
    const size_t slash = target.find_last_of(L'/');
    const std::string folder =
        slash == std::wstring::npos ? "." : Narrow(target.substr(0, slash + 1));
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return;
    const time_t now = ::time(nullptr);
    while (const dirent* e = ::readdir(dir)) {
        int pid = 0;
        unsigned n = 0;
        char tail[8] = {};
        if (std::sscanf(e->d_name, ".pandrel-save-%d-%u.%4s", &pid, &n, tail) != 3 ||
            std::strcmp(tail, "tmp") != 0 || pid <= 0 || pid == ::getpid())
            continue;
        if (::kill(pid, 0) == 0 || errno != ESRCH) continue; // still running, or not ours to ask
        const std::string path = folder + (folder.back() == '/' ? "" : "/") + e->d_name;
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            now - st.st_mtime >= kStaleSeconds)
            std::remove(path.c_str());
    }
    ::closedir(dir);
}
} // namespace

void CControlInterface::ClearProjectState(CRetiredProject& retired) {
    CAutoLock lock(this);
    ResetVoices();
    ClearUndoHistory(retired);
    retired.TakeGrains(m_auditionPad);
    for (CGrooveTrack* pPad : m_pads) {
        retired.TakeGrains(*pPad);
        pPad->m_bLooping = pPad->m_bSyncedPlayback = pPad->m_bMute = pPad->m_bSolo = 0;
    }
    for (CGrooveTrack* pEntry : m_loopBin) retired.Keep(pEntry);
    m_loopBin.Clear();
    m_keyMap.Clear();
    UpdateAnySolo();
}

void CControlInterface::InstallImage(CProjectImage& image, CRetiredProject& retired) {
    CAutoLock lock(this);
    ClearProjectState(retired);
    for (int i = 0; i < kPadCount; ++i) {
        CGrooveTrack* pPad = image.TakePad(i);
        if (pPad == nullptr) continue;
        retired.Keep(m_pads[i]);
        m_pads[i] = pPad;
    }
    for (int i = 0; i < image.EntryCount(); ++i) m_loopBin.Add(image.TakeEntry(i));
    for (int i = 0; i < image.Keys().GetCount(); ++i) {
        TrackKeyInfoImp entry = image.Keys().EntryAt(i);
        entry.pTrack = m_pads[static_cast<int>(entry.nPad)];
        m_keyMap.SetEntry(entry);
    }
    m_bGrainAudition = image.GrainAudition();
    UpdateAnySolo();
}

HRESULT CControlInterface::ReadProjectInto(HMMIO hmmio) {
    const LONG nStart = mmioSeek(hmmio, 0, SEEK_CUR);
    bool bChanged = false;
    for (;;) {
        const DWORD nRate = CurrentOutputFormat(&bChanged).nSamplesPerSec;
        CProjectImage image(m_pSynthContext);
        const HRESULT hr = ReadProject(hmmio, nRate, &image);
        if (FAILED(hr)) return hr;
        // Declared before the lock, so the old project is freed after it.
        CRetiredProject retired;
        {
            CAutoLock lock(this);
            if (EnsureOutputFormat()) bChanged = true;
            if (m_wfxOut.nSamplesPerSec == nRate) {
                InstallImage(image, retired);
                return bChanged ? S_FALSE : S_OK;
            }
        }
        // The host changed the output rate while the form was read: the
        // waves must be converted to the new one.
        if (nStart < 0 || mmioSeek(hmmio, nStart, SEEK_SET) != nStart) return E_FAIL;
    }
}

HRESULT CControlInterface::WriteProjectFrom(HMMIO hmmio) {
    CProjectImage project(m_pSynthContext);
    {
        CAutoLock lock(this);
        const HRESULT hr = CaptureProject(*this, &project);
        if (FAILED(hr)) return hr;
    }
    return WriteProject(hmmio, project);
}

HRESULT CControlInterface::ClearProject() {
    CRetiredProject retired;
    CAutoLock lock(this);
    ClearProjectState(retired);
    ResetPadsAndKeyMap();
    return S_OK;
}

HRESULT CControlInterface::SaveProject(const char*, const char* pszPath) {
    if (pszPath == nullptr) return E_POINTER;
    std::wstring target = WideFromUtf8(pszPath);
    if (!EndsWithProjectExtension(target)) target += kProjectExtension;
    RemoveStaleTemporaries(target);
    const std::wstring temp = TemporaryPathFor(target);
    HMMIO h = mmioOpenW(temp.c_str(), nullptr, MMIO_CREATE | MMIO_READWRITE);
    if (h == nullptr) return E_FAIL;
    HRESULT hr = WriteProjectFrom(h);
    // Closing syncs the file: only bytes known to be on disk replace the old ones.
    if (mmioClose(h, 0) != MMSYSERR_NOERROR && SUCCEEDED(hr)) hr = E_FAIL;
    const std::string narrowTemp = Narrow(temp), narrowTarget = Narrow(target);
    if (SUCCEEDED(hr)) {
        struct stat st {};
        if (::stat(narrowTarget.c_str(), &st) == 0) ::chmod(narrowTemp.c_str(), st.st_mode & 07777);
        if (std::rename(narrowTemp.c_str(), narrowTarget.c_str()) != 0) hr = E_FAIL;
    }
    if (FAILED(hr)) std::remove(narrowTemp.c_str());
    return hr;
}

HRESULT CControlInterface::LoadProject(const char* pszName, const char* pszPath) {
    if (pszPath == nullptr) return E_POINTER;
    const std::wstring path = WideFromUtf8(pszPath);
    MMIOINFO info{};
    HMMIO h = mmioOpenW(path.c_str(), &info, MMIO_ALLOCBUF | MMIO_READ);
    if (h == nullptr) return E_FAIL;
    // A name without "." may hold a raw copy of the host stream: the form then
    // starts after the 24-byte version text.
    const std::string name =
        pszName != nullptr ? pszName : Narrow(path.substr(path.find_last_of(L'/') + 1));
    if (name.find('.') == std::string::npos) {
        char magic[4] = {};
        const bool bRiff = mmioRead(h, magic, 4) == 4 &&
                           mmioFOURCC(magic[0], magic[1], magic[2], magic[3]) == FOURCC_RIFF;
        mmioSeek(h, bRiff ? 0 : 24, SEEK_SET);
    }
    const HRESULT hr = ReadProjectInto(h);
    mmioClose(h, 0);
    return hr;
}
