# The audio device types of the Windows build: the framework's "Windows
# Audio" (WASAPI, in its shared, exclusive and low-latency modes) and
# "DirectSound" always (the framework's defaults); "ASIO" only when built
# against the builder's own copy of Steinberg's ASIO SDK:
#
#   cmake ... -DVELTHORN_ASIO_SDK=/path/to/asiosdk
#
# The SDK's licence forbids passing the SDK on, so neither this project nor
# the framework ships it; whoever builds with it is bound by Steinberg's
# terms for what they make of it. The framework needs only the SDK's
# common/iasiodrv.h (and the headers it includes).

set(VELTHORN_ASIO_SDK "" CACHE PATH "Steinberg's ASIO SDK (the folder holding common/iasiodrv.h); empty: no ASIO")

if(VELTHORN_ASIO_SDK)
    if(NOT EXISTS "${VELTHORN_ASIO_SDK}/common/iasiodrv.h")
        message(FATAL_ERROR "VELTHORN_ASIO_SDK is ${VELTHORN_ASIO_SDK}, which has no common/iasiodrv.h: "
                            "give the folder of Steinberg's ASIO SDK, or leave it empty for a build without ASIO")
    endif()

    # Public: the app's --help names the device types the build has.
    target_compile_definitions(velthorn_juce_base PUBLIC JUCE_ASIO=1)
    target_include_directories(velthorn_juce_base SYSTEM PRIVATE "${VELTHORN_ASIO_SDK}/common")
    message(STATUS "ASIO from ${VELTHORN_ASIO_SDK} (Steinberg's licence applies to this build)")
endif()
