#include "command_line.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <stdexcept>
#include <type_traits>

namespace pellumo {

namespace {

std::string Quoted(std::string_view text) { return "« " + std::string(text) + " »"; }

bool IsHelp(std::string_view arg) { return arg == "-h" || arg == "--help"; }

// Whole text only: "12abc" or "" is no number.
template <typename T>
std::optional<T> Number(std::string_view text) {
    T value{};
    const auto [end, fault] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (fault != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

}  // namespace

TCommand::TCommand(std::string program, std::string name, std::string description)
    : program_(std::move(program)), name_(std::move(name)), description_(std::move(description)) {}

TCommand& TCommand::Option(std::string_view names, std::string valueName, std::string help, TValueTarget target) {
    TOption option;
    const std::size_t comma = names.find(',');
    if (comma != std::string_view::npos) {
        option.shortName = names.substr(0, comma);
        names.remove_prefix(comma + 1);
    }
    option.longName = names;
    if (option.longName.rfind("--", 0) != 0 || (!option.shortName.empty() && option.shortName.size() != 2))
        throw std::logic_error("option mal déclarée : " + std::string(names));
    option.valueName = std::move(valueName);
    option.help = std::move(help);
    option.value = target;
    options_.push_back(std::move(option));
    return *this;
}

TCommand& TCommand::Flag(std::string_view names, std::string help, bool& target) {
    Option(names, {}, std::move(help), TValueTarget{});
    options_.back().flag = &target;
    return *this;
}

TCommand& TCommand::NegatableFlag(std::string_view name, std::string help, bool& target) {
    Flag(name, std::move(help), target);
    options_.back().negatable = true;
    return *this;
}

TCommand& TCommand::Required() {
    if (options_.empty()) throw std::logic_error("Required() sans option");
    options_.back().required = true;
    return *this;
}

TCommand& TCommand::Argument(std::string name, std::string help, std::string& target, bool required) {
    if (!arguments_.empty() && arguments_.back().many != nullptr) throw std::logic_error("argument après la liste");
    arguments_.push_back({std::move(name), std::move(help), &target, nullptr, required});
    return *this;
}

TCommand& TCommand::Arguments(std::string name, std::string help, std::vector<std::string>& target) {
    if (!arguments_.empty() && arguments_.back().many != nullptr) throw std::logic_error("deux listes d'arguments");
    arguments_.push_back({std::move(name), std::move(help), nullptr, &target, false});
    return *this;
}

TCommand& TCommand::Excludes(std::string option, std::vector<std::string> others) {
    exclusions_.emplace_back(std::move(option), std::move(others));
    return *this;
}

TCommand& TCommand::Footer(std::string text) {
    footer_ = std::move(text);
    return *this;
}

TCommand& TCommand::Action(std::function<void()> action) {
    action_ = std::move(action);
    return *this;
}

void TCommand::Run() const {
    if (action_) action_();
}

void TCommand::Fail(std::string message) const { throw EUsageError(std::move(message), name_); }

TCommand::TOption* TCommand::FindOption(std::string_view name, bool& negated) {
    for (TOption& option : options_) {
        negated = false;
        if (name == option.longName || (!option.shortName.empty() && name == option.shortName)) return &option;
        negated = option.negatable && name == "--no-" + option.longName.substr(2);
        if (negated) return &option;
    }
    return nullptr;
}

// A value is whatever follows its option, "-1" included, unless it is one of the command's
// options: "-o --player p" lacks the output rather than writing to a file named "--player".
bool TCommand::IsOptionName(std::string_view token) {
    if (token == "--" || IsHelp(token)) return true;
    if (token.rfind("--", 0) == 0) token = token.substr(0, token.find('='));
    bool negated = false;
    return FindOption(token, negated) != nullptr;
}

// Reads the option at args[at], and its value; returns how many arguments it took.
std::size_t TCommand::ReadOption(const std::vector<std::string>& args, std::size_t at) {
    std::string_view name = args[at];
    std::optional<std::string> value;
    if (const std::size_t equals = name.find('='); name.rfind("--", 0) == 0 && equals != std::string_view::npos) {
        value = std::string(name.substr(equals + 1));
        name = name.substr(0, equals);
    }
    bool negated = false;
    TOption* option = FindOption(name, negated);
    if (option == nullptr) Fail("option inconnue " + Quoted(name));
    if (option->flag != nullptr) {
        if (value) Fail("l'option " + Quoted(name) + " ne prend pas de valeur");
        *option->flag = !negated;  // the last of "--loop" and "--no-loop" wins
        option->givenAs = name;
        return 1;
    }
    if (!option->givenAs.empty()) Fail("l'option " + Quoted(name) + " est donnée deux fois");
    std::size_t taken = 1;
    if (!value) {
        if (at + 1 >= args.size() || IsOptionName(args[at + 1]))
            Fail("l'option " + Quoted(name) + " attend une valeur (" + option->valueName + ")");
        value = args[at + 1];
        taken = 2;
    }
    option->givenAs = name;
    const auto notA = [&](const char* what) {
        Fail("l'option " + Quoted(name) + " attend " + what + ", pas " + Quoted(*value));
    };
    std::visit(
        [&](auto* target) {
            using TTarget = std::remove_pointer_t<decltype(target)>;
            if constexpr (std::is_same_v<TTarget, int> || std::is_same_v<TTarget, std::optional<int>>) {
                const std::optional<int> number = Number<int>(*value);
                if (!number) notA("un nombre entier");
                *target = *number;
            } else if constexpr (std::is_same_v<TTarget, float>) {
                const std::optional<float> number = Number<float>(*value);
                if (!number || !std::isfinite(*number)) notA("un nombre");
                *target = *number;
            } else {
                *target = *value;
            }
        },
        option->value);
    return taken;
}

void TCommand::TakeArguments(const std::vector<std::string>& positionals) {
    std::size_t next = 0;
    for (TArgument& argument : arguments_) {
        if (argument.many != nullptr) {
            argument.many->assign(positionals.begin() + static_cast<std::ptrdiff_t>(next), positionals.end());
            argument.given = next < positionals.size();
            next = positionals.size();
        } else if (next < positionals.size()) {
            *argument.one = positionals[next++];
            argument.given = true;
        } else if (argument.required) {
            Fail("il manque l'argument " + argument.name + " : " + argument.help);
        }
    }
    if (next < positionals.size()) Fail("argument en trop " + Quoted(positionals[next]));
}

void TCommand::CheckRequiredAndExclusions() const {
    for (const TOption& option : options_)
        if (option.required && option.givenAs.empty()) Fail("l'option " + Quoted(option.longName) + " est obligatoire");
    const auto given = [&](const std::string& name) -> std::string {
        for (const TOption& option : options_)
            if (option.longName == name) return option.givenAs.empty() ? "" : "l'option " + Quoted(option.givenAs);
        for (const TArgument& argument : arguments_)
            if (argument.name == name) return argument.given ? "l'argument " + argument.name : "";
        throw std::logic_error("exclusion d'un nom inconnu : " + name);
    };
    for (const auto& [option, others] : exclusions_) {
        const std::string first = given(option);
        if (first.empty()) continue;
        for (const std::string& other : others)
            if (const std::string second = given(other); !second.empty()) Fail(first + " exclut " + second);
    }
}

bool TCommand::Parse(const std::vector<std::string>& args, std::ostream& out) {
    // Asking for help is never an error, whatever else the line holds.
    const auto end = std::find(args.begin(), args.end(), "--");
    if (std::any_of(args.begin(), end, [](const std::string& arg) { return IsHelp(arg); })) {
        WriteHelp(out);
        return false;
    }
    std::vector<std::string> positionals;
    bool optionsEnded = false;
    for (std::size_t at = 0; at < args.size();) {
        const std::string& arg = args[at];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
            ++at;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            at += ReadOption(args, at);
        } else {
            positionals.push_back(arg);  // "-" alone is a file name
            ++at;
        }
    }
    TakeArguments(positionals);
    CheckRequiredAndExclusions();
    return true;
}

TCommandLine::TCommandLine(std::string program, std::string description, std::string version)
    : program_(std::move(program)), description_(std::move(description)), version_(std::move(version)) {}

TCommand& TCommandLine::Command(std::string name, std::string description) {
    commands_.push_back(std::make_unique<TCommand>(program_, std::move(name), std::move(description)));
    return *commands_.back();
}

TCommand* TCommandLine::Parse(const std::vector<std::string>& args, std::ostream& out) {
    if (args.empty()) throw EUsageError("une commande est attendue");
    const std::string& first = args.front();
    if (IsHelp(first)) {
        WriteHelp(out);
        return nullptr;
    }
    if (first == "--version") {
        out << program_ << ' ' << version_ << '\n';
        return nullptr;
    }
    if (first.size() > 1 && first[0] == '-')
        throw EUsageError("option inconnue " + Quoted(first) + " ; la commande vient en premier");
    for (const auto& command : commands_)
        if (command->Name() == first)
            return command->Parse({args.begin() + 1, args.end()}, out) ? command.get() : nullptr;
    throw EUsageError("commande inconnue " + Quoted(first));
}

void TCommandLine::WriteUsageError(std::ostream& err, const EUsageError& error) const {
    const std::string command = program_ + (error.Command().empty() ? "" : " " + error.Command());
    WriteErrorLines(err, program_, error.Message());
    WriteErrorLines(err, program_, "essayez " + Quoted(command + " --help"));
}

void WriteErrorLines(std::ostream& err, std::string_view program, std::string_view message) {
    while (!message.empty() && message.back() == '\n') message.remove_suffix(1);
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = message.find('\n', start);
        err << program << ": " << message.substr(start, end - start) << '\n';
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
}

}  // namespace pellumo
