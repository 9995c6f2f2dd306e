#include "HostedFormats.h"

namespace harness
{
    std::optional<Format> otherHostedFormat (Format format)
    {
        for (const auto other : hostedFormats())
            if (other != format)
                return other;

        return std::nullopt;
    }
}
