#include "OfflineRender.h"

#include "AudioMidiHandler.h"

#include <algorithm>

namespace e2e
{
    StereoBuffer renderThroughEngine (const StereoBuffer& input, double sampleRate, int blockSize,
                                      const std::function<void (AudioMidiHandler&)>& configure)
    {
        AudioMidiHandler engine;

        if (configure)
            configure (engine);

        engine.prepare (sampleRate, blockSize);

        auto output = StereoBuffer::silence (input.size());

        for (size_t start = 0; start < input.size(); start += static_cast<size_t> (blockSize))
        {
            const auto count = static_cast<int> (std::min (static_cast<size_t> (blockSize), input.size() - start));
            const float* const inputs[] = { input.left.data() + start, input.right.data() + start };
            float* const outputs[] = { output.left.data() + start, output.right.data() + start };

            engine.process (inputs, 2, outputs, 2, count);
        }

        engine.release();
        return output;
    }
}
