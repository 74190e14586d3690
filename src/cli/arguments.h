#pragma once
// The command line after the command name: positional arguments and --options, each option
// known with the number of values it takes.

#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace ombrix::cli {

// A usage error: wrong arguments (exit status 2).
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct Arguments {
  std::vector<std::string> positional;
  std::map<std::string, std::vector<std::string>> options;

  bool Has(const std::string& name) const { return options.count(name) != 0; }
  // The option's first value, if given.
  std::optional<std::string> Value(const std::string& name) const;
};

// `known` maps each option ("--interval") to its number of values. Throws UsageError for an
// unknown option, a missing value, or a repeated option.
Arguments ParseArguments(const std::vector<std::string>& args,
                         const std::map<std::string, int>& known);

// A whole number given to an option; UsageError otherwise.
long WholeNumberOption(const Arguments& args, const std::string& name, long fallback);

}  // namespace ombrix::cli
