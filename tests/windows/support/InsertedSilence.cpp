#include "InsertedSilence.h"

#include "OfflineRender.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace windowstest
{
    namespace
    {
        // At most this many stretches are looked for; more means something
        // other than a late thread.
        constexpr int mostSilences = 32;
        // After a stretch, this many frames (or what is left) must be the
        // engine's answer again before the stretch counts as found.
        constexpr size_t framesToConfirm = 4800;

        bool sameBits (float a, float b)
        {
            return std::memcmp (&a, &b, sizeof (float)) == 0;
        }

        // The first frame from `from` on, up to `count`, where either channel
        // differs in its bits, or count.
        size_t firstDifference (const e2e::StereoBuffer& a, const e2e::StereoBuffer& b, size_t from, size_t count)
        {
            for (size_t i = from; i < count; ++i)
                if (! sameBits (a.left[i], b.left[i]) || ! sameBits (a.right[i], b.right[i]))
                    return i;

            return count;
        }

        bool sameFrames (const e2e::StereoBuffer& a, size_t aStart, const e2e::StereoBuffer& b, size_t bStart, size_t count)
        {
            if (aStart + count > a.size() || bStart + count > b.size())
                return false;

            for (size_t i = 0; i < count; ++i)
                if (! sameBits (a.left[aStart + i], b.left[bStart + i]) || ! sameBits (a.right[aStart + i], b.right[bStart + i]))
                    return false;

            return true;
        }

        e2e::StereoBuffer withSilence (const e2e::StereoBuffer& audio, size_t at, size_t frames)
        {
            auto result = audio;
            result.left.insert (result.left.begin() + static_cast<std::ptrdiff_t> (at), frames, 0.0f);
            result.right.insert (result.right.begin() + static_cast<std::ptrdiff_t> (at), frames, 0.0f);
            return result;
        }

        e2e::StereoBuffer withoutFrames (const e2e::StereoBuffer& audio, size_t at, size_t frames)
        {
            auto result = audio;
            result.left.erase (result.left.begin() + static_cast<std::ptrdiff_t> (at), result.left.begin() + static_cast<std::ptrdiff_t> (at + frames));
            result.right.erase (result.right.begin() + static_cast<std::ptrdiff_t> (at), result.right.begin() + static_cast<std::ptrdiff_t> (at + frames));
            return result;
        }

        // The engine's answer to the first `frames` of the input (all of it
        // by default): an answer depends on what came before, never after.
        e2e::StereoBuffer engineAnswer (const e2e::StereoBuffer& input, double sampleRate, size_t frames = SIZE_MAX)
        {
            if (frames >= input.size())
                return e2e::renderThroughEngine (input, sampleRate, 512);

            e2e::StereoBuffer start { { input.left.begin(), input.left.begin() + static_cast<std::ptrdiff_t> (frames) },
                                      { input.right.begin(), input.right.begin() + static_cast<std::ptrdiff_t> (frames) } };
            return e2e::renderThroughEngine (start, sampleRate, 512);
        }
    }

    std::string InsertedSilence::describe() const
    {
        return std::to_string (frames) + " frames into the " + (side == Side::input ? "input" : "output") + " at frame "
               + std::to_string (at);
    }

    RecordingExplained explainRecording (const e2e::StereoBuffer& played, const e2e::StereoBuffer& recorded,
                                         double sampleRate, size_t longestSilence)
    {
        const auto length = played.size();

        RecordingExplained result;
        result.deliveredInput = played;
        result.answerToDelivered = recorded;
        auto expected = engineAnswer (played, sampleRate);
        size_t checkedUpTo = 0;

        for (int attempt = 0; attempt <= mostSilences; ++attempt)
        {
            const auto answerLength = std::min (length, result.answerToDelivered.size());
            const auto d = firstDifference (expected, result.answerToDelivered, checkedUpTo, answerLength);

            if (d == answerLength)
            {
                result.explained = answerLength == length;

                if (! result.explained)
                    result.failure = "the recording holds only " + std::to_string (answerLength) + " of " + std::to_string (length)
                                     + " frames once the output silences are taken out";

                return result;
            }

            if (attempt == mostSilences)
                break;

            checkedUpTo = d;
            const auto confirm = std::min (framesToConfirm, length - d);
            bool found = false;

            // Silence in the recording where the engine's answer goes on,
            // which then follows: the output came late.
            for (size_t k = 1; k <= longestSilence && ! found; ++k)
            {
                const auto i = d + k - 1;

                if (i >= result.answerToDelivered.size() || result.answerToDelivered.left[i] != 0.0f
                    || result.answerToDelivered.right[i] != 0.0f)
                    break;

                if (sameFrames (expected, d, result.answerToDelivered, d + k, std::min (confirm, result.answerToDelivered.size() - d - k)))
                {
                    result.answerToDelivered = withoutFrames (result.answerToDelivered, d, k);
                    result.silences.push_back ({ InsertedSilence::Side::output, d, k });
                    found = true;
                }
            }

            // The engine answering silence where the input went on: the
            // input came late, and its block was started with silence.
            for (size_t k = 1; k <= longestSilence && ! found; ++k)
            {
                auto delivered = withSilence (result.deliveredInput, d, k);

                if (sameFrames (engineAnswer (delivered, sampleRate, d + confirm), d, result.answerToDelivered, d, confirm))
                {
                    expected = engineAnswer (delivered, sampleRate);
                    result.deliveredInput = std::move (delivered);
                    result.silences.push_back ({ InsertedSilence::Side::input, d, k });
                    found = true;
                }
            }

            if (! found)
            {
                result.failure = "at frame " + std::to_string (d) + " the recording is neither the engine's answer nor that answer "
                                 "after a stretch of silence of up to " + std::to_string (longestSilence)
                                 + " frames in the input or the output";
                return result;
            }
        }

        result.failure = "more than " + std::to_string (mostSilences) + " stretches of silence";
        return result;
    }
}
