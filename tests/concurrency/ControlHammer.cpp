#include "concurrency/ControlHammer.h"
#include "interfaces/PandrelConstants.h"
#include "platform/com/TaskMem.h"

LONG CControlHammer::Entry() {
    LONG n = 0;
    m_pControl->GetFileCount(&n);
    return Pick(n + 1) - (m_random() % 8 == 0 ? 1 : 0); // now and then one out of range
}

LONG CControlHammer::Grain(LONG nPad) {
    LONG n = 0;
    m_pControl->GetPadGrainCount(kKindPad, nPad, &n);
    return Pick(n + 1);
}

HRESULT CControlHammer::Step() {
    LONG nIndex = -1, nStatus = 0;
    switch (Pick(20)) {
    case 0: return m_pControl->LoadFileToBin("loop", m_files.strLoop.c_str(), &nIndex, &nStatus);
    case 1:
        return m_pControl->LoadFileToPad(Pad(), "long", m_files.strLong.c_str(), &nIndex, &nStatus);
    case 2: return m_pControl->DeleteFile(Entry());
    case 3:
        return Pick(4) == 0 ? m_pControl->ClearProject()
                            : m_pControl->LoadProject("demo", m_files.strProject.c_str());
    case 4: return m_pControl->AssignFileToPad(Pad(), Entry());
    case 5: return m_pControl->Checkpoint();
    case 6: return m_pControl->Undo();
    case 7: return m_pControl->Redo();
    case 8:
    case 9:
    case 10: return EditGrain();
    case 11: {
        const LONG nPad = Pad();
        return Pick(2) ? m_pControl->StartAudition(nPad, Grain(nPad))
                       : m_pControl->StopAudition(nPad);
    }
    case 12: {
        const LONG nEntry = Entry();
        return Pick(2) ? m_pControl->StartFilePreview(nEntry, Pick(17))
                       : m_pControl->StopFilePreview(nEntry);
    }
    case 13: return ReadBack() ? S_OK : E_FAIL;
    default: return SetPad();
    }
}

HRESULT CControlHammer::EditGrain() {
    const LONG nPad = Pad();
    const LONG nGrain = Grain(nPad);
    LONG nOut = -1;
    switch (Pick(10)) {
    case 0: return m_pControl->AddGrain(Entry(), Pick(17), nPad, Pick(16) * kTicksPerBeat / 2);
    case 1: return m_pControl->RemoveGrain(nPad, nGrain, Pick(2));
    case 2: return m_pControl->CommitGrainEdits();
    case 3:
        return m_pControl->MoveGrain(nPad, nGrain, Pad(), Pick(16) * kTicksPerBeat / 4, &nOut,
                                     Pick(2));
    case 4: return m_pControl->CopyGrain(nPad, nGrain, Pad(), Pick(16) * kTicksPerBeat / 4, &nOut);
    case 5: return m_pControl->SetGrainSource(nPad, nGrain, Entry(), Pick(17));
    case 6: return m_pControl->SetGrainPitch(nPad, nGrain, Pick(49) - 24);
    case 7: return m_pControl->SetGrainGain(nPad, nGrain, static_cast<float>(Pick(200)) / 100.0f);
    case 8:
        return m_pControl->SetGrainPan(nPad, nGrain, static_cast<float>(Pick(201) - 100) / 100.0f);
    default: {
        LONG nEntry = 0, nSlice = 0;
        return m_pControl->GetGrainSource(nPad, nGrain, &nEntry, &nSlice);
    }
    }
}

HRESULT CControlHammer::SetPad() {
    const LONG nPad = Pad();
    const BOOL b = Pick(2);
    switch (Pick(14)) {
    case 0: return m_pControl->SetPadLooping(nPad, b);
    case 1: return m_pControl->SetPadSynced(nPad, b);
    case 2: return m_pControl->SetPadLatchMode(nPad, b);
    case 3: return m_pControl->SetPadMute(nPad, b);
    case 4: return m_pControl->SetPadSolo(nPad, b);
    case 5: return m_pControl->SetPadVolume(nPad, static_cast<float>(Pick(100)) / 100.0f);
    case 6: return m_pControl->SetPadPan(nPad, static_cast<float>(Pick(201) - 100) / 100.0f);
    case 7: return m_pControl->SetPadOutput(nPad, Pick(kOutputCount));
    case 8: return m_pControl->SetPadRoot(nPad, 36 + Pick(48));
    case 9: return m_pControl->SetPadTails(nPad, b);
    case 10: return m_pControl->SetPadLatch(nPad, b);
    case 11:
        return m_pControl->SetPadLength(Pick(2) ? kKindPad : kKindLoopBin, Pick(2) ? nPad : Entry(),
                                        (1 + Pick(16)) * kTicksPerBeat / 2);
    case 12: {
        const LONG nKey = 36 + Pick(48);
        const PadKeyRange range{nPad, nKey, nKey + Pick(3), nKey, 0, 127};
        return m_pControl->SetPadKeyRange(&range);
    }
    default: return m_pControl->SetPadMidiChannel(nPad, Pick(17));
    }
}

bool CControlHammer::ReadBack() {
    bool bOk = true;
    for (LONG nPad = 0; nPad < kPadCount; ++nPad) {
        GrainSummary* p = nullptr;
        LONG n = 0;
        if (FAILED(m_pControl->GetPadGrains(nPad, &p, &n))) continue;
        bOk = bOk && n >= 0 && (n == 0 || p != nullptr);
        // The peaks are a copy inside the returned block, valid until it is freed.
        volatile float fSum = 0.0f;
        for (LONG g = 0; g < n; ++g)
            for (DWORD k = 0; p[g].pPeaks != nullptr && k < p[g].nPeakCount * p[g].nChannels * 2;
                 ++k)
                fSum = fSum + p[g].pPeaks[k];
        if (n > 0) CoTaskMemFree(p);
    }
    LONG nEntries = 0;
    m_pControl->GetFileCount(&nEntries);
    for (LONG e = 0; e < nEntries; ++e) {
        GrainSummary* p = nullptr;
        LONG n = 0;
        if (FAILED(m_pControl->GetFileSlices(e, &p, &n))) continue;
        bOk = bOk && n >= 0 && (n == 0 || p != nullptr);
        if (n > 0) CoTaskMemFree(p);
        char name[260];
        m_pControl->GetFileName(e, Pick(2), name);
    }
    return bOk;
}
