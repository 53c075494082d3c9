#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "base/exceptions.h"

namespace pellumo {

// A command line that does not fit what the commands declare. The message says what is wrong;
// the command (empty for the program itself) names the help that tells how to write it.
class EUsageError : public Exception {
public:
    explicit EUsageError(std::string message, std::string command = {})
        : Exception(std::move(message)), command_(std::move(command)) {}
    const std::string& Command() const noexcept { return command_; }

private:
    std::string command_;
};

// Where an option's value goes. An std::optional target is set only when the option is given,
// so that an absent option can mean "the default" further on.
using TValueTarget = std::variant<std::string*, std::optional<std::string>*, int*, std::optional<int>*, float*>;

// One subcommand: its options, its positional arguments in order, the options that exclude
// others, and what it runs. "-h" and "--help" are always there.
class TCommand {
public:
    struct TOption {
        std::string longName;   // "--output"
        std::string shortName;  // "-o", or empty
        std::string valueName;  // "FICHIER"; empty for a flag
        std::string help;
        TValueTarget value;
        bool* flag = nullptr;
        bool negatable = false;  // "--no-<name>" sets the flag to false
        bool required = false;
        std::string givenAs;  // the name typed, empty while not given
    };
    struct TArgument {
        std::string name;
        std::string help;
        std::string* one = nullptr;
        std::vector<std::string>* many = nullptr;  // takes every argument left
        bool required = false;
        bool given = false;
    };

    TCommand(std::string program, std::string name, std::string description);

    // `names` is "--long" or "-s,--long".
    TCommand& Option(std::string_view names, std::string valueName, std::string help, TValueTarget target);
    TCommand& Flag(std::string_view names, std::string help, bool& target);
    // "--name" sets the flag, "--no-name" clears it.
    TCommand& NegatableFlag(std::string_view name, std::string help, bool& target);
    // The option declared last must be given.
    TCommand& Required();
    TCommand& Argument(std::string name, std::string help, std::string& target, bool required = true);
    // The last argument only: all the arguments left, none or more.
    TCommand& Arguments(std::string name, std::string help, std::vector<std::string>& target);
    // When `option` is given, none of `others` (option or argument names) may be.
    TCommand& Excludes(std::string option, std::vector<std::string> others);
    TCommand& Footer(std::string text);
    TCommand& Action(std::function<void()> action);

    const std::string& Name() const { return name_; }
    const std::string& Description() const { return description_; }

    // Reads the arguments that follow the command's name into the targets. Returns false when
    // help was asked for, after printing it on `out`; raises EUsageError.
    bool Parse(const std::vector<std::string>& args, std::ostream& out);
    void Run() const;

    std::string UsageLine() const;
    void WriteHelp(std::ostream& out) const;

private:
    TOption* FindOption(std::string_view name, bool& negated);
    bool IsOptionName(std::string_view token);
    std::size_t ReadOption(const std::vector<std::string>& args, std::size_t at);
    void TakeArguments(const std::vector<std::string>& positionals);
    void CheckRequiredAndExclusions() const;
    [[noreturn]] void Fail(std::string message) const;

    std::string program_;
    std::string name_;
    std::string description_;
    std::string footer_;
    std::vector<TOption> options_;
    std::vector<TArgument> arguments_;
    std::vector<std::pair<std::string, std::vector<std::string>>> exclusions_;
    std::function<void()> action_;
};

// The program: its subcommands, "--help" and "--version".
class TCommandLine {
public:
    TCommandLine(std::string program, std::string description, std::string version);

    TCommand& Command(std::string name, std::string description);

    // The command to run, its arguments read into the declared targets; nullptr when help or
    // the version was asked for and printed on `out`. Raises EUsageError.
    TCommand* Parse(const std::vector<std::string>& args, std::ostream& out);

    void WriteHelp(std::ostream& out) const;
    // What to print when the program is run without any argument.
    void WriteShortUsage(std::ostream& out) const;
    // The error, then the help to read.
    void WriteUsageError(std::ostream& err, const EUsageError& error) const;

private:
    std::string program_;
    std::string description_;
    std::string version_;
    std::vector<std::unique_ptr<TCommand>> commands_;
};

// Writes the message with "program: " before each of its lines, so that every line of an
// error is seen to come from the program even among other programs' output.
void WriteErrorLines(std::ostream& err, std::string_view program, std::string_view message);

}  // namespace pellumo
