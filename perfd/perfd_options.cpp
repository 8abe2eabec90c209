#include "perfd/perfd_options.h"

#include "perfd/perfd_error.h"

#include <charconv>
#include <functional>
#include <map>

const char *const kPerfdUsage =
    "usage: tarvenix-perfd [--listen ADDRESS]... [--port N] [--allow NETWORK/BITS]...\n"
    "                      [--proc DIR] [--idle SECONDS] [--max-connections N]\n"
    "                      [--kernel-threads]\n"
    "--listen and --allow also take lists separated by spaces or commas.\n";

namespace
{

// The words of a list value; an empty value names nothing.
std::vector<std::string> Items(const std::string &value)
{
    std::vector<std::string> items;
    size_t at = 0;
    while ((at = value.find_first_not_of(" ,\t", at)) != std::string::npos) {
        const size_t end = std::min(value.find_first_of(" ,\t", at), value.size());
        items.push_back(value.substr(at, end - at));
        at = end;
    }
    return items;
}

int ParsePositive(const std::string &text, int highest, const char *what)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 1 || value > highest)
        throw PerfdError(std::string("bad ") + what + ": " + text);
    return value;
}

void AddListen(PerfdOptions &options, const std::string &value)
{
    for (const std::string &item : Items(value)) {
        const auto address = ParseIpv4(item);
        if (!address) throw PerfdError("not an IPv4 address: " + item);
        options.listen.push_back(*address);
    }
}

void AddAllow(PerfdOptions &options, const std::string &value)
{
    for (const std::string &item : Items(value)) {
        const auto network = ParseIpv4Network(item);
        if (!network) throw PerfdError("not an IPv4 NETWORK/BITS: " + item);
        options.allow.push_back(*network);
    }
}

using Setter = std::function<void(PerfdOptions &, const std::string &)>;

const std::map<std::string, Setter> &ValueOptions()
{
    static const std::map<std::string, Setter> options{
        {"--listen", AddListen},
        {"--allow", AddAllow},
        {"--port",
         [](PerfdOptions &o, const std::string &v) {
             o.port = std::uint16_t(ParsePositive(v, 65535, "port"));
         }},
        {"--proc", [](PerfdOptions &o, const std::string &v) { o.procDir = v; }},
        {"--idle",
         [](PerfdOptions &o, const std::string &v) {
             o.idle = std::chrono::seconds(ParsePositive(v, 86400, "idle"));
         }},
        {"--max-connections", [](PerfdOptions &o, const std::string &v) {
             o.maxConnections = ParsePositive(v, 1 << 20, "max-connections");
         }}};
    return options;
}

} // namespace

PerfdOptions ParsePerfdOptions(const std::vector<std::string> &arguments)
{
    PerfdOptions options;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string &argument = arguments[i];
        if (argument == "--kernel-threads") {
            options.kernelThreads = true;
            continue;
        }
        if (argument == "--help" || argument == "-h") {
            options.help = true;
            continue;
        }
        // --name VALUE or --name=VALUE
        const size_t equals = argument.find('=');
        const auto option = ValueOptions().find(argument.substr(0, equals));
        if (option == ValueOptions().end()) throw PerfdError("unknown option: " + argument);
        if (equals == std::string::npos && i + 1 == arguments.size())
            throw PerfdError("missing value after " + argument);
        option->second(options, equals == std::string::npos ? arguments[++i]
                                                            : argument.substr(equals + 1));
    }
    return options;
}
