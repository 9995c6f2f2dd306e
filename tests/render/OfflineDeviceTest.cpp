#include "OfflineDevice.h"

#include "AudioMidiHandler.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
    // Records what a device does to its callback. Only for the block sizes
    // and the order of calls, which the engine does not expose.
    struct CallLog final : public juce::AudioIODeviceCallback
    {
        void audioDeviceIOCallbackWithContext (const float* const*, int numInputs, float* const*, int numOutputs,
                                               int numSamples, const juce::AudioIODeviceCallbackContext&) override
        {
            blocks.push_back (numSamples);
            channels.push_back (numInputs * 100 + numOutputs);
        }

        void audioDeviceAboutToStart (juce::AudioIODevice* device) override
        {
            calls.push_back ("start");
            rate = device->getCurrentSampleRate();
            blockSize = device->getCurrentBufferSizeSamples();
        }

        void audioDeviceStopped() override { calls.push_back ("stop"); }

        std::vector<std::string> calls;
        std::vector<int> blocks, channels;
        double rate = 0.0;
        int blockSize = 0;
    };

    TEST (OfflineDevice, ReportsItsRateBlockSizeAndChannels)
    {
        OfflineDevice device (44100.0, 1000, 3);

        EXPECT_EQ (device.getCurrentSampleRate(), 44100.0);
        EXPECT_EQ (device.getCurrentBufferSizeSamples(), 1000);
        EXPECT_EQ (device.getDefaultBufferSize(), 1000);
        EXPECT_EQ (device.getInputChannelNames().size(), 3);
        EXPECT_EQ (device.getOutputChannelNames().size(), 3);
        EXPECT_EQ (device.getActiveInputChannels().countNumberOfSetBits(), 3);
        EXPECT_EQ (device.getActiveOutputChannels().getHighestBit(), 2);
        EXPECT_EQ (device.getAvailableSampleRates(), juce::Array<double> { 44100.0 });
        EXPECT_EQ (device.getAvailableBufferSizes(), juce::Array<int> { 1000 });
    }

    TEST (OfflineDevice, OpensOnlyAtItsOwnRateAndBlockSize)
    {
        OfflineDevice device (48000.0, 64, 1);
        juce::BigInteger one;
        one.setBit (0);

        EXPECT_NE (device.open (one, one, 44100.0, 64), "");
        EXPECT_FALSE (device.isOpen());
        EXPECT_NE (device.open (one, one, 48000.0, 128), "");
        EXPECT_EQ (device.open (one, one, 48000.0, 64), "");
        EXPECT_TRUE (device.isOpen());
    }

    TEST (OfflineDevice, DrivesTheEngineThroughAWholeRun)
    {
        AudioMidiHandler engine;

        {
            OfflineDevice device (22050.0, 256, 2);
            juce::BigInteger channels;
            channels.setRange (0, 2, true);
            ASSERT_EQ (device.open (channels, channels, 22050.0, 256), "");

            device.start (&engine);
            EXPECT_TRUE (device.isPlaying());
            EXPECT_EQ (engine.sampleRate, 22050.0);
            ASSERT_NE (engine.effectState, nullptr);
            EXPECT_EQ (engine.effectState->sampleRate, 22050);

            std::vector<float> left (700, 0.25f), right (700, 0.5f), outLeft (700), outRight (700);
            const float* inputs[] { left.data(), right.data() };
            float* outputs[] { outLeft.data(), outRight.data() };

            engine.setParameter (17, 0.0f);   // master off: the plain sum comes out
            device.process (inputs, outputs, 700);

            for (size_t i = 0; i < 700; ++i)
            {
                ASSERT_EQ (outLeft[i], 0.75f) << i;
                ASSERT_EQ (outRight[i], 0.75f) << i;
            }

            // Destroyed while running: the device stops the engine itself.
        }

        EXPECT_EQ (engine.sampleRate, 0.0);
        EXPECT_EQ (engine.effectState, nullptr);
    }

    TEST (OfflineDevice, NeverHandsOverMoreThanItsBlockSize)
    {
        CallLog log;
        OfflineDevice device (48000.0, 64, 2);
        juce::BigInteger channels;
        channels.setRange (0, 2, true);
        ASSERT_EQ (device.open (channels, channels, 48000.0, 64), "");

        std::vector<float> buffer (1000);
        const float* inputs[] { buffer.data(), buffer.data() };
        float* outputs[] { buffer.data(), buffer.data() };

        device.start (&log);
        device.process (inputs, outputs, 200);
        device.process (inputs, outputs, 5);
        device.stop();
        device.stop();

        EXPECT_EQ (log.calls, (std::vector<std::string> { "start", "stop" }));
        EXPECT_EQ (log.rate, 48000.0);
        EXPECT_EQ (log.blockSize, 64);
        EXPECT_EQ (log.blocks, (std::vector<int> { 64, 64, 64, 8, 5 }));
        EXPECT_EQ (log.channels, (std::vector<int> (5, 202)));
    }

    TEST (OfflineDevice, DoesNotStartUnlessOpen)
    {
        CallLog log;
        OfflineDevice device (48000.0, 64, 1);
        device.start (&log);

        EXPECT_FALSE (device.isPlaying());
        EXPECT_TRUE (log.calls.empty());
    }
}
