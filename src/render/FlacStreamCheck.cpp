#include "FlacStreamCheck.h"

#include "FlacLibrary.h"

namespace
{
    struct Context
    {
        juce::InputStream& stream;
        FlacStreamCheck& check;
    };

    Context& contextOf (void* data)
    {
        return *static_cast<Context*> (data);
    }

    FLAC__StreamDecoderReadStatus readBytes (const FLAC__StreamDecoder*, FLAC__byte buffer[], size_t* bytes, void* data)
    {
        const auto wanted = static_cast<int> (std::min<size_t> (*bytes, 1 << 20));
        const auto got = contextOf (data).stream.read (buffer, wanted);
        *bytes = static_cast<size_t> (std::max (got, 0));
        return got > 0 ? FLAC__STREAM_DECODER_READ_STATUS_CONTINUE : FLAC__STREAM_DECODER_READ_STATUS_END_OF_STREAM;
    }

    FLAC__StreamDecoderSeekStatus seekTo (const FLAC__StreamDecoder*, FLAC__uint64 offset, void* data)
    {
        return contextOf (data).stream.setPosition (static_cast<juce::int64> (offset)) ? FLAC__STREAM_DECODER_SEEK_STATUS_OK
                                                                                        : FLAC__STREAM_DECODER_SEEK_STATUS_ERROR;
    }

    FLAC__StreamDecoderTellStatus tell (const FLAC__StreamDecoder*, FLAC__uint64* offset, void* data)
    {
        *offset = static_cast<FLAC__uint64> (contextOf (data).stream.getPosition());
        return FLAC__STREAM_DECODER_TELL_STATUS_OK;
    }

    FLAC__StreamDecoderLengthStatus lengthOf (const FLAC__StreamDecoder*, FLAC__uint64* length, void* data)
    {
        *length = static_cast<FLAC__uint64> (contextOf (data).stream.getTotalLength());
        return FLAC__STREAM_DECODER_LENGTH_STATUS_OK;
    }

    FLAC__bool atEnd (const FLAC__StreamDecoder*, void* data)
    {
        return contextOf (data).stream.isExhausted();
    }

    FLAC__StreamDecoderWriteStatus countFrame (const FLAC__StreamDecoder*, const FLAC__Frame* frame,
                                               const FLAC__int32* const[], void* data)
    {
        contextOf (data).check.decodedSamples += frame->header.blocksize;
        return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
    }

    void noteMetadata (const FLAC__StreamDecoder*, const FLAC__StreamMetadata* metadata, void* data)
    {
        if (metadata->type == FLAC__METADATA_TYPE_STREAMINFO)
            contextOf (data).check.announcedSamples = static_cast<juce::int64> (metadata->data.stream_info.total_samples);
    }

    void noteError (const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus, void* data)
    {
        contextOf (data).check.hadDecodeError = true;
    }
}

FlacStreamCheck FlacStreamCheck::run (juce::InputStream& stream)
{
    FlacStreamCheck check;
    Context context { stream, check };

    auto* const decoder = FLAC__stream_decoder_new();

    if (decoder == nullptr || ! stream.setPosition (0))
    {
        check.hadDecodeError = true;
    }
    else if (FLAC__stream_decoder_init_stream (decoder, readBytes, seekTo, tell, lengthOf, atEnd, countFrame, noteMetadata,
                                               noteError, &context)
             != FLAC__STREAM_DECODER_INIT_STATUS_OK)
    {
        check.hadDecodeError = true;
    }
    else
    {
        if (! FLAC__stream_decoder_process_until_end_of_stream (decoder))
            check.hadDecodeError = true;

        if (FLAC__stream_decoder_get_state (decoder) != FLAC__STREAM_DECODER_END_OF_STREAM)
            check.hadDecodeError = true;

        FLAC__stream_decoder_finish (decoder);
    }

    if (decoder != nullptr)
        FLAC__stream_decoder_delete (decoder);

    stream.setPosition (0);
    return check;
}

std::string FlacStreamCheck::problem() const
{
    if (hadDecodeError)
        return "some of its FLAC frames are missing, cut off or do not decode";

    if (announcedSamples > decodedSamples)
        return "its header announces " + std::to_string (announcedSamples) + " samples but it holds "
             + std::to_string (decodedSamples);

    return {};
}
