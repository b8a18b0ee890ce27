// Every conversion against values worked out by hand from the host's answers
// or from tempo and rate: without host interfaces, with the tempo map only,
// and with the time-format converter; playing and stopped.
#include "FakeEngine.h"
#include "interfaces/PandrelConstants.h"
#include <gtest/gtest.h>

TEST(Time, WithoutHostAtOwnTempo) {
    TestSynth synth; // 120 BPM: a quarter note is 0.5 s
    synth.SetInputFormatRecord(MakeFloatFormat(2, 44100));
    EXPECT_EQ(synth.MidiTicksToSamples(960), 22050);
    EXPECT_EQ(synth.MidiTicksToSamples(1), 22);   // 22.97 truncated
    EXPECT_EQ(synth.MidiTicksToSamples(-1), -22); // toward zero
    EXPECT_EQ(synth.SamplesToMidiTicks(22050), 960);
    EXPECT_EQ(synth.SamplesToMidiTicks(100), 4); // 4.35
    EXPECT_EQ(synth.SamplesToMidiTicks(-100), -4);
    EXPECT_EQ(synth.TicksToSamples(kTicksPerBeat), 22050);
    EXPECT_EQ(synth.TicksToSamples(65536), 23); // one MIDI tick rounds: 22.97 + 0.5
    EXPECT_EQ(synth.TicksToSamples(1), 0);
    EXPECT_EQ(synth.SamplesToTicks(22050), kTicksPerBeat);
    EXPECT_EQ(synth.SamplesToTicks(1), 2853); // 2853.27 + 0.5
    EXPECT_EQ(synth.SamplesToTicks(2), 5707); // 5706.54 + 0.5
    EXPECT_EQ(synth.QueryPosition(kTicksPerBeat), 0u);
    synth.TransportStart(0); // playing changes nothing without a converter
    EXPECT_EQ(synth.TicksToSamples(kTicksPerBeat), 22050);
    synth.SetTempo(90.0);
    EXPECT_EQ(synth.MidiTicksToSamples(960), 29400); // 2/3 s
    // No input format yet: 44100 keeps the divisions defined.
    synth.SetInputFormatRecord(WAVEFORMATEX{});
    EXPECT_EQ(synth.SamplesToMidiTicks(29400), 959); // 959.99999...: truncated, not rounded
    EXPECT_EQ(synth.SamplesToMidiTicks(44100), 1440);
}

TEST(Time, WithTempoMapOnly) {
    TestContext ctx;
    ctx.hasConverter = ctx.hasPosition = false;
    TestSynth synth; // 48 kHz; the map says 5/8 ms per MIDI tick and 100.00 BPM
    synth.AttachTo(ctx);
    EXPECT_EQ(synth.MidiTicksToSamples(960), 28800); // 600 ms
    EXPECT_EQ(synth.MidiTicksToSamples(3), 48);      // 1 ms
    EXPECT_EQ(synth.MidiTicksToSamples(1), 0);       // 0 ms
    ctx.tempoMap.msOverride = 2000000000;            // 64-bit product
    EXPECT_EQ(synth.MidiTicksToSamples(7), 96000000000LL);
    ctx.tempoMap.msOverride = 0;
    EXPECT_EQ(synth.SamplesToMidiTicks(28800), 960);
    EXPECT_EQ(synth.SamplesToMidiTicks(47), 0);
    EXPECT_EQ(ctx.tempoMap.lastMs, 0);
    EXPECT_EQ(synth.SamplesToMidiTicks(96), 3); // 2 ms -> 16/5
    // Stopped: the map's tempo at time 0 (hundredths of a BPM).
    EXPECT_EQ(synth.TicksToSamples(kTicksPerBeat), 28800);
    EXPECT_EQ(ctx.tempoMap.lastTempoTime, 0);
    EXPECT_EQ(synth.TicksToSamples(65536), 30); // 30.0 + 0.5
    EXPECT_EQ(synth.SamplesToTicks(28800), kTicksPerBeat);
    ctx.tempoMap.tempo100 = 12345;
    EXPECT_EQ(synth.TicksToSamples(kTicksPerBeat), 23329); // 48000 * 60 / 123.45 = 23329.28
    EXPECT_EQ(synth.SamplesToTicks(28800), 77668024);      // 1.2345 * kTicksPerBeat = 77668024.3
    ctx.tempoMap.tempo100 = 0;                             // unusable: own tempo, 120
    EXPECT_EQ(synth.TicksToSamples(kTicksPerBeat), 24000);
    ctx.tempoMap.tempo100 = 12345;
    // Playing without a converter: own tempo.
    synth.TransportStart(0);
    EXPECT_EQ(synth.TicksToSamples(kTicksPerBeat), 24000);
    EXPECT_EQ(synth.SamplesToTicks(24000), kTicksPerBeat);
}

TEST(Time, WithConverter) {
    TestContext ctx;
    TestSynth synth;
    synth.AttachTo(ctx);
    TestConverter& c = ctx.converter;
    c.answer = 28800;
    EXPECT_EQ(synth.MidiTicksToSamples(960), 28800);
    EXPECT_EQ(c.inFormat, MFX_TIME_MIDI_TICKS);
    EXPECT_EQ(c.inValue, 960);
    EXPECT_EQ(c.toFormat, MFX_TIME_SAMPLES);
    c.answer = 0x100000005LL; // low 32 bits
    EXPECT_EQ(synth.SamplesToMidiTicks(30), 5);
    EXPECT_EQ(c.inFormat, MFX_TIME_SAMPLES);
    EXPECT_EQ(c.toFormat, MFX_TIME_MIDI_TICKS);
    // Stopped: the tempo map decides, the converter is not asked.
    c.inFormat = 0;
    EXPECT_EQ(synth.TicksToSamples(kTicksPerBeat), 28800);
    EXPECT_EQ(synth.SamplesToTicks(28800), kTicksPerBeat);
    EXPECT_EQ(c.inFormat, 0u);
    synth.TransportStart(0);
    c.answer = 12345;
    EXPECT_EQ(synth.TicksToSamples(3 * kTicksPerBeat), 12345);
    EXPECT_EQ(c.inFormat, MFX_TIME_TICKS);
    EXPECT_EQ(c.inValue, 3 * kTicksPerBeat);
    EXPECT_EQ(c.toFormat, MFX_TIME_SAMPLES);
    EXPECT_EQ(synth.SamplesToTicks(777), 12345);
    EXPECT_EQ(c.inFormat, MFX_TIME_SAMPLES);
    EXPECT_EQ(c.toFormat, MFX_TIME_TICKS);
}

TEST(Time, SampleRateAndPosition) {
    TestContext ctx;
    TestSynth synth;
    synth.SetInputFormatRecord(WAVEFORMATEX{});
    EXPECT_EQ(synth.GetSampleRate(), 44100u);
    synth.AttachTo(ctx);
    ctx.converter.answer = 96000;
    EXPECT_EQ(synth.GetSampleRate(), 96000u);
    EXPECT_EQ(ctx.converter.inFormat, MFX_TIME_SECONDS);
    EXPECT_EQ(ctx.converter.inSeconds, 1.0);
    EXPECT_EQ(ctx.converter.toFormat, MFX_TIME_SAMPLES);
    ctx.converter.answer = 0x7FFFFFFE;
    EXPECT_EQ(synth.GetSampleRate(), 0x7FFFFFFEu);
    for (LONGLONG bad : {0x7FFFFFFFLL, 0x100000000LL, 0LL, -1LL}) {
        ctx.converter.answer = bad;
        EXPECT_EQ(synth.GetSampleRate(), 44100u) << bad;
    }
    synth.SetInputFormatRecord(MakeFloatFormat(1, 48000)); // the stream's rate beats the default
    EXPECT_EQ(synth.GetSampleRate(), 48000u);

    EXPECT_EQ(synth.QueryPosition(5 * kTicksPerBeat), 7u);
    EXPECT_EQ(ctx.position.inFormat, MFX_TIME_TICKS);
    EXPECT_EQ(ctx.position.inValue, 5 * kTicksPerBeat);
    EXPECT_EQ(ctx.position.answerOnEntry, 0u);
}
