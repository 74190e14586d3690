#include "cli/arguments.h"

#include <charconv>

namespace ombrix::cli {

std::optional<std::string> Arguments::Value(const std::string& name) const {
  const auto it = options.find(name);
  if (it == options.end() || it->second.empty()) {
    return std::nullopt;
  }
  return it->second.front();
}

Arguments ParseArguments(const std::vector<std::string>& args,
                         const std::map<std::string, int>& known) {
  Arguments parsed;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const auto option = known.find(arg);
    if (option == known.end() && (arg.size() < 2 || arg.compare(0, 2, "--") != 0)) {
      parsed.positional.push_back(arg);
      continue;
    }
    if (option == known.end()) {
      throw UsageError("unknown option " + arg);
    }
    if (parsed.Has(arg)) {
      throw UsageError("option " + arg + " given twice");
    }
    std::vector<std::string>& values = parsed.options[arg];
    for (int v = 0; v < option->second; ++v) {
      if (++i >= args.size()) {
        throw UsageError("option " + arg + " needs " + std::to_string(option->second) +
                         " value(s)");
      }
      values.push_back(args[i]);
    }
  }
  return parsed;
}

long WholeNumberOption(const Arguments& args, const std::string& name, long fallback) {
  const std::optional<std::string> text = args.Value(name);
  if (!text) {
    return fallback;
  }
  long value = 0;
  const auto result = std::from_chars(text->data(), text->data() + text->size(), value);
  if (result.ec != std::errc() || result.ptr != text->data() + text->size()) {
    throw UsageError("option " + name + " needs a whole number, not '" + *text + "'");
  }
  return value;
}

}  // namespace ombrix::cli
