#include "core/povray/povcommand.h"

#include "core/model/numberformat.h"

#include <algorithm>
#include <cctype>

std::string PovCommand::Text() const {
    std::string text = executable;
    for (const std::string& argument : arguments)
        text += " " + argument;
    return text;
}

PovCommand BuildPovCommand(const PovCommandOptions& options, PovCommandStyle style,
                           const std::string& outputFile, int width, int height, int frames) {
    const bool classic = style == PovCommandStyle::Classic;
    PovCommand command{options.executable, {std::string("+i") + kSceneFileName, "+o" + outputFile}};
    if (classic)
        command.arguments.push_back("+b1");
    else
        command.arguments.push_back("+ft"); // uncompressed Targa, which 3.7 writes only when asked
    command.arguments.push_back("-d");
    if (options.antialiasing) {
        // POV-Ray 3.7 refuses thresholds of 1.0 and more; 0.999 is the nearest it takes.
        const float threshold =
            classic ? options.threshold : std::clamp(options.threshold, 0.0f, 0.999f);
        command.arguments.push_back("+a" + FormatFixed(threshold, 3));
        command.arguments.push_back("+r" + std::to_string(options.raysPerPixel));
    } else {
        command.arguments.push_back("-a");
    }
    command.arguments.push_back("+w" + std::to_string(width));
    command.arguments.push_back("+h" + std::to_string(height));
    command.arguments.push_back("-p");
    if (frames > 1) {
        command.arguments.push_back("+kfi1");
        command.arguments.push_back("+kff" + std::to_string(frames));
    }
    const std::string& library = options.libraryPath;
    if (!library.empty() && library.find('"') == std::string::npos) {
        const bool quoted = library.find_first_of(" \t") != std::string::npos;
        command.arguments.push_back(quoted ? "+L\"" + library + "\"" : "+L" + library);
    }
    return command;
}

std::optional<PovVersion> ParsePovVersion(std::string_view output) {
    for (std::string_view marker : {"POV-Ray ", "Version "}) {
        for (std::size_t at = output.find(marker); at != std::string_view::npos;
             at = output.find(marker, at + 1)) {
            std::size_t i = at + marker.size();
            auto number = [&](int& into) {
                const std::size_t start = i;
                into = 0;
                while (i < output.size() && std::isdigit(static_cast<unsigned char>(output[i])))
                    into = into * 10 + (output[i++] - '0');
                return i > start && i - start < 5;
            };
            PovVersion version;
            if (number(version.major) && i < output.size() && output[i] == '.' &&
                (++i, number(version.minor)))
                return version;
        }
    }
    return std::nullopt;
}

PovCommandStyle StyleForVersion(const std::optional<PovVersion>& version) {
    if (version && (version->major < 3 || (version->major == 3 && version->minor < 7)))
        return PovCommandStyle::Classic;
    return PovCommandStyle::Pov37;
}
