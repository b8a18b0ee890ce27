// Media types on the filter's pins: what they offer, what they accept, and
// the buffer sizes the outputs take over from the input.
#include "FilterRig.h"

namespace {
// An engine that takes any format, to see the filter's own check alone.
struct PermissiveFilter : CFilter {
    explicit PermissiveFilter(HRESULT* phr)
        : CSoftSynth(this), CDXi(this), CControlInterface(this), CFilter(nullptr, phr) {}
    HRESULT CheckInputFormat(const WAVEFORMATEX*) override { return S_OK; }
    HRESULT CheckOutputFormat(const WAVEFORMATEX*) override { return S_OK; }
};

HRESULT Check(CFilter* f, PIN_DIRECTION dir, const CMediaType& mt) {
    return f->CheckFormat(dir, &mt);
}
HRESULT Transform(CFilter* f, const CMediaType& in, const CMediaType& out) {
    return f->CheckTransformTypes(&in, &out);
}
HRESULT Accept(IPin* p, const CMediaType& mt) { return p->QueryAccept(&mt); }

LONG BufferSize(CFilterOutputPin* pPin) {
    ALLOCATOR_PROPERTIES props{};
    if (pPin->Allocator() == nullptr || FAILED(pPin->Allocator()->GetProperties(&props))) return -1;
    return props.cbBuffer;
}
} // namespace

TEST(FilterFormatTest, OutputsOfferNothingUntilTheInputIsConnectedThenTheUpstreamTypes) {
    FilterRig rig;
    rig.pSource->pin.types.push_back(FloatType(1));
    IEnumMediaTypes* pEnum = nullptr;
    EXPECT_EQ(rig.Output(0)->EnumMediaTypes(&pEnum), VFW_E_NOT_CONNECTED);
    CMediaType mt;
    EXPECT_EQ(rig.OutputPin(0)->GetMediaType(0, &mt), VFW_S_NO_MORE_ITEMS);
    const CMediaType stereo = FloatType(2);
    EXPECT_EQ(rig.ConnectOutput(0, rig.pSink), VFW_E_NO_ACCEPTABLE_TYPES);
    EXPECT_EQ(rig.ConnectOutput(0, rig.pSink, &stereo), VFW_E_NOT_CONNECTED);
    // The input itself offers nothing at all.
    ASSERT_EQ(rig.Input()->EnumMediaTypes(&pEnum), S_OK);
    AM_MEDIA_TYPE* pmt = nullptr;
    ULONG fetched = 9;
    EXPECT_EQ(pEnum->Next(1, &pmt, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);
    pEnum->Release();

    ASSERT_EQ(rig.ConnectInput(), S_OK);
    ASSERT_EQ(rig.Output(0)->EnumMediaTypes(&pEnum), S_OK);
    AM_MEDIA_TYPE* types[3] = {};
    EXPECT_EQ(pEnum->Next(3, types, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 2u);
    EXPECT_TRUE(CMediaType(*types[0]) == FloatType(2));
    EXPECT_TRUE(CMediaType(*types[1]) == FloatType(1));
    DeleteMediaType(types[0]);
    DeleteMediaType(types[1]);
    pEnum->Release();
    // Its own proposal: the input's format, at position 0 only.
    ASSERT_EQ(rig.OutputPin(0)->GetMediaType(0, &mt), S_OK);
    EXPECT_TRUE(mt == FloatType(2));
    EXPECT_EQ(rig.OutputPin(0)->GetMediaType(1, &mt), VFW_S_NO_MORE_ITEMS);
    EXPECT_EQ(rig.OutputPin(0)->GetMediaType(-1, &mt), E_INVALIDARG);
    EXPECT_EQ(rig.ConnectOutput(0, rig.pSink), S_OK);
}

TEST(FilterFormatTest, OnlyFloatMonoOrStereoAudioGetsThrough) {
    CFilter* pFilter = NewFilter();
    HRESULT hr = E_FAIL;
    auto* pLoose = new PermissiveFilter(&hr);
    ASSERT_EQ(hr, S_OK);
    for (CFilter* f : {pFilter, static_cast<CFilter*>(pLoose)}) {
        EXPECT_EQ(Check(f, PINDIR_INPUT, FloatType(2)), S_OK);
        EXPECT_EQ(Check(f, PINDIR_OUTPUT, FloatType(1)), S_OK);
        EXPECT_EQ(Check(f, PINDIR_INPUT, FloatType(3)), VFW_E_TYPE_NOT_ACCEPTED);
        EXPECT_EQ(Check(f, PINDIR_INPUT, MakeAudioType(WAVE_FORMAT_PCM, 2, 48000, 24)),
                  VFW_E_TYPE_NOT_ACCEPTED);
        EXPECT_EQ(Check(f, PINDIR_INPUT, MakeAudioType(WAVE_FORMAT_EXTENSIBLE, 2, 48000, 24)),
                  VFW_E_TYPE_NOT_ACCEPTED);
        EXPECT_EQ(Check(f, PINDIR_INPUT, MakeAudioType(WAVE_FORMAT_IEEE_FLOAT, 2, 48000, 64)),
                  VFW_E_TYPE_NOT_ACCEPTED);
        CMediaType video = FloatType(2);
        video.majortype = MEDIASUBTYPE_PCM;
        EXPECT_EQ(Check(f, PINDIR_INPUT, video), VFW_E_TYPE_NOT_ACCEPTED);
        CMediaType compressed = FloatType(2);
        compressed.bTemporalCompression = TRUE;
        EXPECT_EQ(Check(f, PINDIR_INPUT, compressed), VFW_E_TYPE_NOT_ACCEPTED);
        CMediaType shortFormat = FloatType(2);
        shortFormat.cbFormat = 16;
        EXPECT_EQ(Check(f, PINDIR_INPUT, shortFormat), VFW_E_TYPE_NOT_ACCEPTED);
        shortFormat.cbFormat = 18; // the block it owns, for freeing
    }
    // 16-bit PCM passes the filter's own check; the engine refuses it.
    const CMediaType pcm16 = MakeAudioType(WAVE_FORMAT_PCM, 2, 48000, 16);
    const CMediaType ext16 = MakeAudioType(WAVE_FORMAT_EXTENSIBLE, 1, 48000, 16);
    EXPECT_EQ(Check(pLoose, PINDIR_INPUT, pcm16), S_OK);
    EXPECT_EQ(Check(pLoose, PINDIR_OUTPUT, ext16), S_OK);
    EXPECT_EQ(Check(pFilter, PINDIR_INPUT, pcm16), VFW_E_TYPE_NOT_ACCEPTED);
    EXPECT_EQ(Check(pFilter, PINDIR_OUTPUT, ext16), VFW_E_TYPE_NOT_ACCEPTED);
    EXPECT_EQ(Accept(pFilter->GetPin(0), pcm16), S_FALSE);
    EXPECT_EQ(Accept(pFilter->GetPin(0), FloatType(1)), S_OK);
    // Input and output must share the rate.
    EXPECT_EQ(Transform(pFilter, FloatType(2, 48000), FloatType(2, 44100)),
              VFW_E_TYPE_NOT_ACCEPTED);
    EXPECT_EQ(Transform(pFilter, FloatType(1, 44100), FloatType(2, 44100)), S_OK);
    pLoose->NonDelegatingAddRef();
    pLoose->NonDelegatingRelease();
    pFilter->NonDelegatingRelease();
}

TEST(FilterFormatTest, DifferentRatesAreRefusedAcrossConnectedPins) {
    FilterRig rig;
    rig.pSource->pin.types = {FloatType(2, 48000), FloatType(2, 44100)};
    ASSERT_EQ(rig.ConnectInput(), S_OK);
    const CMediaType other = FloatType(2, 44100);
    EXPECT_EQ(rig.ConnectOutput(0, rig.pSink, &other), VFW_E_TYPE_NOT_ACCEPTED);
    ASSERT_EQ(rig.ConnectOutput(0, rig.pSink), S_OK);
    // The input now has to fit the connected output too.
    EXPECT_EQ(rig.Input()->QueryAccept(&other), S_FALSE);
    EXPECT_EQ(Accept(rig.Input(), FloatType(1, 48000)), S_OK);
    EXPECT_EQ(rig.pFilter->GetInputFormat()->nSamplesPerSec, 48000u);
    EXPECT_EQ(rig.pFilter->GetOutputFormat()->nChannels, 2);
}

TEST(FilterFormatTest, AMonoInputFeedingAStereoOutputDoublesItsBuffers) {
    FilterRig rig;
    rig.pSource->pin.types = {FloatType(1)};
    rig.pSource->pin.lFrames = 300;
    rig.pSource->pin.cBuffers = 3;
    ASSERT_EQ(rig.ConnectInput(), S_OK);
    const CMediaType stereo = FloatType(2);
    ASSERT_EQ(rig.ConnectOutput(0, rig.pSink, &stereo), S_OK);
    ASSERT_EQ(rig.ConnectOutput(1, rig.pSink2), S_OK); // mono, as offered
    EXPECT_EQ(BufferSize(rig.OutputPin(0)), 300 * 4 * 2);
    EXPECT_EQ(BufferSize(rig.OutputPin(1)), 300 * 4);
    ALLOCATOR_PROPERTIES props{};
    rig.OutputPin(0)->Allocator()->GetProperties(&props);
    EXPECT_EQ(props.cBuffers, 3);
    EXPECT_EQ(props.cbAlign, 16);

    // A new input type must fit the connected outputs: another rate does not.
    ASSERT_EQ(rig.pGraph->Disconnect(&rig.pSource->pin), S_OK);
    ASSERT_EQ(rig.pGraph->Disconnect(rig.Input()), S_OK);
    rig.pSource->pin.types = {FloatType(1, 44100)};
    EXPECT_EQ(rig.ConnectInput(), VFW_E_NO_ACCEPTABLE_TYPES);
    rig.pSource->pin.types = {FloatType(2)};
    EXPECT_EQ(rig.ConnectInput(), S_OK);
}
