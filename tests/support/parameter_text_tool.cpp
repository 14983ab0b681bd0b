// Test and benchmark tool: prints the encoder parameter text that the converter writes for one file, so that
// the encoder's end-to-end tests and the benchmarks run the program's own text through the real encoder.
//
//   qzc-parameter-text [--set "KEY=VALUE"]... [--fps RATE] [--size WxH] [--probe] [--lines] [--] INPUT OUTPUT
//
// The settings start as a first run has them; KEY is an option.ini key. --size is the source's frame size, for the
// letter-box room; --fps its frame rate. --lines prints the encoder's arguments, one a line, instead of the text.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "convert/batch_helpers.h"
#include "convert/parameter_text.h"
#include "settings/conversion_settings.h"

int main(int argc, char** argv) {
    const auto fail = [](const std::string& why) {
        std::fprintf(stderr, "qzc-parameter-text: %s\n", why.c_str());
        return 2;
    };
    ConversionSettings settings = SettingsFromText("");
    EncoderJob job;
    int sourceWidth = 0, sourceHeight = 0;
    bool lines = false, optionsEnded = false;
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (optionsEnded || arg.empty() || arg[0] != '-') {
            paths.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--set" && hasValue) {
            const std::string setting = argv[++i];
            const auto eq = setting.find('=');
            if (eq == std::string::npos || !ApplySetting(settings, setting.substr(0, eq), setting.substr(eq + 1)))
                return fail("not a setting: " + setting);
        } else if (arg == "--fps" && hasValue) {
            job.sourceFrameRate = std::atof(argv[++i]);
        } else if (arg == "--size" && hasValue) {
            if (std::sscanf(argv[++i], "%dx%d", &sourceWidth, &sourceHeight) != 2)
                return fail("--size wants WxH");
        } else if (arg == "--probe") {
            job.probeOnly = 1;
        } else if (arg == "--lines") {
            lines = true;
        } else {
            return fail("unknown option " + arg);
        }
    }
    if (paths.size() != 2)
        return fail("wants an input and an output path");
    job.inputPath = paths[0];
    job.outputPath = paths[1];
    if (!job.probeOnly) {
        const LetterboxSpare spare = ComputeLetterboxSpare(settings, sourceWidth, sourceHeight);
        job.spareWidth = spare.width;
        job.spareHeight = spare.height;
    }
    const ParameterText text = BuildParameterText(settings, job);
    if (!text.ok())
        return fail(text.error);
    for (const std::string& argument : lines ? SplitParameterText(text.text) : std::vector{text.text})
        std::printf("%s\n", argument.c_str());
    return 0;
}
