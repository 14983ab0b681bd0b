// libFuzzer harness: the encoder's argument reader and the FFmpeg command built from what it read. The input is
// split into arguments at line ends, so that a mutated parameter text keeps its shape.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "encoder/ffmpeg_command.h"
#include "encoder/option_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> args(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == '\n')
            args.emplace_back();
        else
            args.back() += static_cast<char>(data[i]);
    }
    const zezozov::ParseResult parsed = zezozov::ParseArguments(args);
    if (parsed.ok())
        (void)zezozov::FfmpegArguments(parsed.job, parsed.job.outputPath);
    return 0;
}
