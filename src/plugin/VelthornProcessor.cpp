#include "VelthornProcessor.h"

#include "PluginState.h"
#include "VelthornEditor.h"

#include <cmath>
#include <optional>

namespace
{
    using Table = PluginParameterTable;

    constexpr int hostUpdateIntervalMs = 20;

    // The buses: one input and one output, each mono or stereo.
    constexpr int maximumChannels = 2;

    bool isMonoOrStereo (const juce::AudioChannelSet& set)
    {
        return set == juce::AudioChannelSet::mono() || set == juce::AudioChannelSet::stereo();
    }
}

VelthornProcessor::VelthornProcessor()
    : juce::AudioProcessor (BusesProperties()
                                .withInput ("Input", juce::AudioChannelSet::stereo(), true)
                                .withOutput ("Output", juce::AudioChannelSet::stereo(), true)),
      parameters (*this, engine, wrapperType != wrapperType_LV2)
{
    bypassEngine.setParameter (Table::entries()[static_cast<size_t> (Table::masterSwitchPosition)].engineIndex, 0.0f);

    // The quality may change while the host plays: every factor is made
    // ready when playing starts, so a change needs no allocation.
    engine.prepareEveryOversampling (true);
    auto qualityParameter = std::make_unique<QualityParameter>();
    quality = qualityParameter.get();
    addParameter (qualityParameter.release());
    quality->addListener (this);

    for (int i = 0; i < Table::numParameters; ++i)
        lastPushed[static_cast<size_t> (i)] = parameters.engineValue (i);

    startTimer (hostUpdateIntervalMs);
}

VelthornProcessor::~VelthornProcessor()
{
    quality->removeListener (this);
    stopTimer();
}

void VelthornProcessor::prepareToPlay (double sampleRate, int maximumExpectedSamplesPerBlock)
{
    pushedQuality = quality->getFactor();
    engine.setOversampling (pushedQuality);
    engine.prepare (sampleRate, maximumExpectedSamplesPerBlock);
    bypassEngine.prepare (sampleRate, maximumExpectedSamplesPerBlock);
    bypassDelay.prepare (maximumChannels, AudioMidiHandler::latencyForOversampling (8));
    setLatencySamples (AudioMidiHandler::latencyForOversampling (pushedQuality));
}

void VelthornProcessor::releaseResources()
{
    engine.release();
    bypassEngine.release();
}

bool VelthornProcessor::isBusesLayoutSupported (const BusesLayout& layouts) const
{
    return layouts.inputBuses.size() == 1 && layouts.outputBuses.size() == 1
        && isMonoOrStereo (layouts.getMainInputChannelSet())
        && isMonoOrStereo (layouts.getMainOutputChannelSet());
}

void VelthornProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi)
{
    const juce::ScopedNoDenormals noDenormals;
    pushParameterChanges();

    // Every MIDI event acts from the sample it lands on: the engine cuts the
    // block there, as it does for the renderer. The meter shows the whole
    // block's peak, as in the app.
    runEngine (engine, buffer, midi);

    if (! midi.isEmpty())
        pullEngineChanges();
}

void VelthornProcessor::processBlockBypassed (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi)
{
    const juce::ScopedNoDenormals noDenormals;
    pushParameterChanges();

    // The controls keep following MIDI while the host bypasses the plugin.
    // Control changes are three bytes; a longer message (system exclusive)
    // is never one.
    for (const auto event : midi)
        if (event.numBytes <= 3)
            engine.handleMidi (event.data, event.numBytes);

    if (! midi.isEmpty())
        pullEngineChanges();

    runEngine (bypassEngine, buffer, {});

    // As late as the chain would be, so the host's compensation holds.
    const int numOutputs = juce::jmin (getTotalNumOutputChannels(), buffer.getNumChannels(), maximumChannels);
    bypassDelay.process (buffer, numOutputs, 0, buffer.getNumSamples(),
                         AudioMidiHandler::latencyForOversampling (pushedQuality));
}

void VelthornProcessor::runEngine (AudioMidiHandler& target, juce::AudioBuffer<float>& buffer,
                                   const juce::MidiBuffer& midi) noexcept
{
    const int numInputs = juce::jmin (getTotalNumInputChannels(), buffer.getNumChannels(), maximumChannels);
    const int numOutputs = juce::jmin (getTotalNumOutputChannels(), buffer.getNumChannels(), maximumChannels);
    const int numSamples = buffer.getNumSamples();

    // The engine reads all of a chunk's inputs before it writes any output,
    // so the host's buffer can be both.
    std::array<const float*, maximumChannels> inputs {};
    std::array<float*, maximumChannels> outputs {};

    for (int channel = 0; channel < numInputs; ++channel)
        inputs[static_cast<size_t> (channel)] = buffer.getReadPointer (channel);

    for (int channel = 0; channel < numOutputs; ++channel)
        outputs[static_cast<size_t> (channel)] = buffer.getWritePointer (channel);

    target.process (inputs.data(), numInputs, outputs.data(), numOutputs, numSamples, midi);

    // Channels beyond the output bus (a mono output over a stereo input)
    // carry nothing out of the plugin.
    for (int channel = numOutputs; channel < buffer.getNumChannels(); ++channel)
        buffer.clear (channel, 0, numSamples);
}

void VelthornProcessor::pushParameterChanges() noexcept
{
    // The engine starts its chain afresh at the new factor with its next block.
    if (const int factor = quality->getFactor(); factor != pushedQuality)
    {
        engine.setOversampling (factor);
        pushedQuality = factor;
    }

    for (int i = 0; i < Table::numParameters; ++i)
    {
        const auto value = parameters.engineValue (i);
        auto& last = lastPushed[static_cast<size_t> (i)];

        if (std::isnan (value))
        {
            // A host's NaN is no value: the engine keeps the one it has, and
            // the parameter, which would otherwise go on holding the NaN (and
            // write it into the project), is put back to it; the host hears
            // of that as of a MIDI change.
            const auto kept = Table::readEngine (engine, Table::entries()[static_cast<size_t> (i)]);
            parameters.setQuietly (i, kept);
            last = kept;
            hostNeedsTelling[static_cast<size_t> (i)].store (true, std::memory_order_release);
        }
        else if (value != last)
        {
            engine.setParameter (Table::entries()[static_cast<size_t> (i)].engineIndex, value);
            last = value;
        }
    }
}

void VelthornProcessor::pullEngineChanges() noexcept
{
    for (int i = 0; i < Table::numParameters; ++i)
    {
        const auto index = static_cast<size_t> (i);
        const auto value = Table::readEngine (engine, Table::entries()[index]);

        if (value != lastPushed[index])
        {
            parameters.setQuietly (i, value);
            lastPushed[index] = value;
            hostNeedsTelling[index].store (true, std::memory_order_release);
        }
    }
}

void VelthornProcessor::timerCallback()
{
    reportLatency();

    for (int i = 0; i < Table::numParameters; ++i)
    {
        if (hostNeedsTelling[static_cast<size_t> (i)].exchange (false, std::memory_order_acquire))
        {
            auto& parameter = parameters.at (i);
            parameter.sendValueChangedMessageToListeners (parameter.getValue());
        }
    }
}

void VelthornProcessor::reportLatency()
{
    setLatencySamples (AudioMidiHandler::latencyForOversampling (quality->getFactor()));
}

void VelthornProcessor::parameterValueChanged (int, float)
{
    if (juce::MessageManager::existsAndIsCurrentThread())
        reportLatency();
}

void VelthornProcessor::setFromEditor (int engineIndex, float value)
{
    const auto position = Table::positionForEngineIndex (engineIndex);

    // The panel never sends a NaN, but if it did, the value would stay.
    if (position < 0 || std::isnan (value))
        return;

    engine.setParameter (engineIndex, value);
    parameters.at (position).setValueNotifyingHost (parameters.normalisedFor (position, value));
}

void VelthornProcessor::getStateInformation (juce::MemoryBlock& destData)
{
    PluginState::Values values {};

    for (int i = 0; i < Table::numParameters; ++i)
    {
        // A NaN that a host set since the last block is not the value: the
        // engine's is.
        const auto index = static_cast<size_t> (i);
        const auto value = parameters.engineValue (i);
        values[index] = std::isnan (value) ? Table::readEngine (engine, Table::entries()[index]) : value;
    }

    // An exception must not leave the plugin into the host. Should memory
    // run out, the host stores nothing, which reads back as no state.
    try
    {
        destData = PluginState::write (values, quality->getFactor());
    }
    catch (...)
    {
        destData.reset();
    }
}

void VelthornProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    PluginState::Values defaults {};

    for (int i = 0; i < Table::numParameters; ++i)
        defaults[static_cast<size_t> (i)] = parameters.defaultValue (i);

    // An exception must not leave the plugin into the host: a state that
    // cannot be read for want of memory is refused like a damaged one.
    // Nothing is applied before the whole state has been read.
    std::optional<PluginState::Values> values;
    std::optional<int> factor;

    try
    {
        values = PluginState::read (data, sizeInBytes, defaults);
        factor = PluginState::readOversampling (data, sizeInBytes);
    }
    catch (...)
    {
        return;
    }

    if (! values.has_value())
        return;

    // The new latency is reported at once from the message thread (see
    // parameterValueChanged), else by the timer.
    if (factor.has_value())
        quality->setValueNotifyingHost (quality->normalisedFor (*factor));

    for (int i = 0; i < Table::numParameters; ++i)
    {
        const auto value = (*values)[static_cast<size_t> (i)];
        engine.setParameter (Table::entries()[static_cast<size_t> (i)].engineIndex, value);
        parameters.at (i).setValueNotifyingHost (parameters.normalisedFor (i, value));
    }
}

juce::AudioProcessorParameter* VelthornProcessor::getBypassParameter() const
{
    if (! parameters.masterIsBypass())
        return nullptr;

    return &parameters.at (Table::masterSwitchPosition);
}

juce::AudioProcessorEditor* VelthornProcessor::createEditor()
{
    return new VelthornEditor (*this);
}
