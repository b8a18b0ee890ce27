// The graph every host builds around one instrument: the instrument created
// through the library's class factory, its soft-synth and control interfaces,
// its pins, a silent host source into "Input", a sink of the host's choosing
// on each output, and the host context attached. Everything is held by owning
// pointers, so a failure part way leaves nothing behind; Close tears the
// graph down in the order the instrument expects. Open and Close run on the
// host's setup thread and may block; the accessors never block.
#pragma once
#include "apps/hostkit/InstrumentModule.h"
#include "interfaces/PandrelConstants.h"
#include "platform/com/ComPtr.h"
#include "platform/media/MediaInterfaces.h"
#include <functional>
#include <string>
#include <vector>

class CFilterGraph;
class CHostContext;
class CHostSource;
class IMfxSoftSynth;
class IVudivuVizezud;

class CInstrumentGraph {
public:
    struct Format {
        DWORD dwRate = 44100;
        WORD wChannels = 2;
        LONG lBlockFrames = 256; // the longest buffer the source pushes
    };
    // The sink of one output: a filter with one input pin, added to the graph
    // under pszName. A null filter leaves the output unconnected.
    struct Sink {
        ComPtr<IBaseFilter> pFilter;
        IPin* pPin = nullptr;
        const WCHAR* pszName = L"Sink";
    };
    // Makes the sink of output n (0 the mix, then "Chan 1".."Chan 16").
    using SinkMaker = std::function<Sink(int nOutput)>;

    CInstrumentGraph();
    ~CInstrumentGraph();
    CInstrumentGraph(const CInstrumentGraph&) = delete;
    CInstrumentGraph& operator=(const CInstrumentGraph&) = delete;

    // Creates the instrument, connects the source and a sink per output, and
    // attaches pContext (the instrument takes a reference of its own; the
    // graph keeps one for the host). False with the cause in *pstrError, and
    // nothing held.
    bool Open(const CInstrumentModule& module, const Format& format, CHostContext* pContext,
              const SinkMaker& makeSink, std::string* pstrError);
    // Detaches the context and releases everything; nothing when not open.
    void Close();

    // Valid while open (null otherwise); no reference added.
    IBaseFilter* Filter() const { return m_pFilter.Get(); }
    IMfxSoftSynth* Synth() const { return m_pSynth.Get(); }
    IVudivuVizezud* Control() const { return m_pControl.Get(); }
    CFilterGraph* Graph() const { return m_pGraph.Get(); }
    CHostSource* Source() const { return m_pSource.Get(); }
    CHostContext* Context() const { return m_pContext.Get(); }

    // "what: the result's text (0xXXXXXXXX)", the form the hosts report failures in.
    static std::string Why(const char* pszWhat, HRESULT hr);

private:
    bool Build(const CInstrumentModule& module, const Format& format, const SinkMaker& makeSink,
               std::string* pstrError);

    ComPtr<IBaseFilter> m_pFilter;
    ComPtr<IMfxSoftSynth> m_pSynth;
    ComPtr<IVudivuVizezud> m_pControl;
    std::vector<ComPtr<IPin>> m_pins; // "Input", then the outputs
    ComPtr<CFilterGraph> m_pGraph;
    ComPtr<CHostSource> m_pSource;
    std::vector<ComPtr<IBaseFilter>> m_sinks; // per output; null when unconnected
    ComPtr<CHostContext> m_pContext;
    bool m_bAttached = false;
};
