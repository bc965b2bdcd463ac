// The settings file: read and written by toml++, checked key by key, nothing left unchecked.
#include "files/Settings.h"

#include "files/AtomicFile.h"
#include "synth/Modulators.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <span>
#include <sstream>
#include <toml++/toml.h>
#include <unistd.h>
#include <vector>

namespace tarmel::files {

namespace {

constexpr int64_t kVersion = 1;

// Reads one file's tables, naming the file, the line and the key in every complaint.
class Checker {
public:
    explicit Checker(std::string source) : source_(std::move(source)) {}

    [[noreturn]] void refuse(const toml::node* at, const std::string& what) const {
        std::string message = source_ + ": ";
        if (at != nullptr && at->source().begin.line > 0) {
            message += "line " + std::to_string(at->source().begin.line) + ": ";
        }
        throw SettingsError(message + what);
    }

    // The table holds exactly these keys, and may hold the optional ones.
    void onlyKeys(const toml::table& table, const std::string& path,
                  std::span<const std::string_view> keys,
                  std::span<const std::string_view> optional = {}) const {
        for (auto&& [key, node] : table) {
            if (std::find(keys.begin(), keys.end(), key.str()) == keys.end() &&
                std::find(optional.begin(), optional.end(), key.str()) == optional.end()) {
                refuse(&node, "unknown key '" + join(path, key.str()) + "'");
            }
        }
        for (std::string_view key : keys) {
            if (!table.contains(key)) {
                refuse(&table, "'" + join(path, key) + "' is missing");
            }
        }
    }

    const toml::table& table(const toml::table& in, const std::string& path,
                             std::string_view key) const {
        const toml::node* node = in.get(key);
        if (node == nullptr || !node->is_table()) {
            refuse(node != nullptr ? node : &in, "'" + join(path, key) + "' must be a table");
        }
        return *node->as_table();
    }

    int16_t whole(const toml::table& in, const std::string& path, std::string_view key, int lo,
                  int hi) const {
        const toml::node* node = in.get(key);
        const auto* value = node->as_integer();
        if (value == nullptr || value->get() < lo || value->get() > hi) {
            const std::string range = std::to_string(lo) + " to " + std::to_string(hi);
            refuse(node, "'" + join(path, key) + "' " +
                             (value != nullptr ? "is " + std::to_string(value->get()) +
                                                     "; use a whole number from " + range
                                               : "must be a whole number from " + range));
        }
        return static_cast<int16_t>(value->get());
    }

    bool boolean(const toml::table& in, const std::string& path, std::string_view key) const {
        const toml::node* node = in.get(key);
        if (!node->is_boolean()) {
            refuse(node, "'" + join(path, key) + "' must be true or false");
        }
        return node->as_boolean()->get();
    }

    // An optional text: empty when the key is not there.
    std::string text(const toml::table& in, std::string_view key) const {
        const toml::node* node = in.get(key);
        if (node == nullptr) {
            return {};
        }
        if (!node->is_string()) {
            refuse(node, "'" + std::string(key) + "' must be a text in quotes");
        }
        return node->as_string()->get();
    }

    // A finite number within the range of a modulator's output; whole numbers are taken as they
    // are, since a person may write 1 for 1.0.
    double output(const toml::node& node, const std::string& path) const {
        double value = NAN;
        if (const auto* f = node.as_floating_point()) {
            value = f->get();
        } else if (const auto* i = node.as_integer()) {
            value = static_cast<double>(i->get());
        }
        if (!(std::fabs(value) <= synth::kLargestOutput)) {
            refuse(&node, "'" + path +
                              "' must be a number from -1.5574077246549023 to "
                              "1.5574077246549023");
        }
        return value;
    }

private:
    static std::string join(const std::string& path, std::string_view key) {
        return path.empty() ? std::string(key) : path + "." + std::string(key);
    }

    std::string source_;
};

// The dotted key split at its last dot: "oscillator2.modulator3" and "ratio".
std::pair<std::string, std::string> splitKey(const std::string& key) {
    const std::size_t dot = key.rfind('.');
    return dot == std::string::npos ? std::pair(std::string(), key)
                                    : std::pair(key.substr(0, dot), key.substr(dot + 1));
}

// The keys a table of the file holds, as the control table says: its values and its tables.
std::vector<std::string> keysOf(const std::string& path) {
    std::vector<std::string> keys;
    const auto add = [&keys](const std::string& key) {
        if (std::find(keys.begin(), keys.end(), key) == keys.end()) {
            keys.push_back(key);
        }
    };
    for (const sound::Control& control : sound::controls()) {
        const std::string& key = control.key;
        if (!path.empty() && !key.starts_with(path + ".")) {
            continue;
        }
        const std::string rest = path.empty() ? key : key.substr(path.size() + 1);
        add(rest.substr(0, rest.find('.')));
    }
    return keys;
}

// The controls' values, each at its key: the tables on the way checked for unknown and missing
// keys as they are first met.
void readControls(const Checker& c, const toml::table& root, sound::Controls& controls) {
    std::map<std::string, const toml::table*> tables{{"", &root}};
    const std::function<const toml::table&(const std::string&)> tableAt =
        [&](const std::string& path) -> const toml::table& {
        if (const auto it = tables.find(path); it != tables.end()) {
            return *it->second;
        }
        const auto [parent, key] = splitKey(path);
        const toml::table& table = c.table(tableAt(parent), parent, key);
        const std::vector<std::string> keys = keysOf(path);
        c.onlyKeys(table, path, std::vector<std::string_view>(keys.begin(), keys.end()));
        tables.emplace(path, &table);
        return table;
    };
    for (const sound::Control& control : sound::controls()) {
        const auto [path, key] = splitKey(control.key);
        const toml::table& table = tableAt(path);
        control.set(controls, control.toggled()
                                  ? (c.boolean(table, path, key) ? 1 : 0)
                                  : c.whole(table, path, key, control.minimum, control.maximum));
    }
}

void readState(const Checker& c, const toml::table& t, synth::SynthState& state) {
    constexpr std::array<std::string_view, 3> kKeys{"outputs", "random", "random-last"};
    c.onlyKeys(t, "state", kKeys);
    const toml::node* outputs = t.get("outputs");
    const toml::array* list = outputs->as_array();
    if (list == nullptr || list->size() != state.modOut.size()) {
        c.refuse(outputs, "'state.outputs' must list the 15 modulator outputs");
    }
    for (std::size_t k = 0; k < state.modOut.size(); ++k) {
        state.modOut[k] = c.output(*list->get(k), "state.outputs[" + std::to_string(k) + "]");
    }
    const toml::node* random = t.get("random");
    const auto* text = random->as_string();
    uint64_t raw = 0;
    const std::string& digits = text != nullptr ? text->get() : std::string();
    const char* end = digits.data() + digits.size();
    if (digits.size() != 18 || digits.compare(0, 2, "0x") != 0 ||
        std::from_chars(digits.data() + 2, end, raw, 16).ptr != end) {
        c.refuse(random, "'state.random' must be 0x and 16 hexadecimal digits");
    }
    const toml::node* lastNode = t.get("random-last");
    const double last = c.output(*lastNode, "state.random-last");
    // Every value the generator returns is a whole number of 2^-24 in [0, 1).
    if (!(last >= 0.0 && last < 1.0) || std::ldexp(last, 24) != std::floor(std::ldexp(last, 24))) {
        c.refuse(lastNode, "'state.random-last' must be a value the random generator returns: "
                           "a whole number of 2^-24 from 0 up to 1");
    }
    state.random = synth::RandomGenerator({raw, static_cast<float>(last)});
}

// The name of the last table header, [name], above line (counted from 1) of text; empty at the
// top of the file.
std::string tableAbove(std::string_view text, std::size_t line) {
    std::string table;
    std::size_t start = 0;
    for (std::size_t n = 1; n < line && start < text.size(); ++n) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        std::string_view row = text.substr(start, end - start);
        row.remove_prefix(std::min(row.find_first_not_of(" \t"), row.size()));
        if (row.starts_with('[') && !row.starts_with("[[")) {
            const std::size_t close = row.find(']');
            if (close != std::string_view::npos) {
                std::string_view name = row.substr(1, close - 1);
                name.remove_prefix(std::min(name.find_first_not_of(" \t"), name.size()));
                name.remove_suffix(name.size() - (name.find_last_not_of(" \t") + 1));
                table = std::string(name);
            }
        }
        start = end + 1;
    }
    return table;
}

// The key of a "key = value" line (counted from 1) of text, as written; empty when the line has
// no '='.
std::string keyOnLine(std::string_view text, std::size_t line) {
    std::size_t start = 0;
    for (std::size_t n = 1; n < line && start != std::string_view::npos; ++n) {
        start = text.find('\n', start);
        start = start == std::string_view::npos ? start : start + 1;
    }
    if (start == std::string_view::npos) {
        return {};
    }
    std::string_view row = text.substr(start, text.find('\n', start) - start);
    const std::size_t equals = row.find('=');
    if (equals == std::string_view::npos) {
        return {};
    }
    row = row.substr(0, equals);
    const std::size_t first = row.find_first_not_of(" \t");
    return first == std::string_view::npos
               ? std::string()
               : std::string(row.substr(first, row.find_last_not_of(" \t") + 1 - first));
}

// What toml++ found wrong ("Error while parsing key-value pair: cannot redefine existing integer
// 'ratio'"), said in the words of a settings file ("'ratio' is given twice in
// [oscillator1.modulator2]") with what to do. line counts from 1.
std::string plainWords(std::string_view description, std::string_view text, std::size_t line) {
    constexpr std::string_view kPrefix = "Error while parsing ";
    std::string_view context;
    std::string_view reason = description;
    if (description.starts_with(kPrefix)) {
        const std::size_t colon = description.find(": ");
        if (colon != std::string_view::npos) {
            context = description.substr(kPrefix.size(), colon - kPrefix.size());
            reason = description.substr(colon + 2);
        }
    }
    const auto has = [&](std::string_view part) {
        return reason.find(part) != std::string_view::npos;
    };
    const std::string table = tableAbove(text, line);
    const std::string in = table.empty() ? " at the top of the file" : " in [" + table + "]";
    const std::string key = keyOnLine(text, line);
    const std::string value = "the value of '" + key + "'" + in;

    if (reason.starts_with("cannot redefine existing ")) {
        // The name toml++ quotes: the last '...' of the reason.
        const std::size_t close = reason.rfind('\'');
        const std::size_t open = close == 0 ? close : reason.rfind('\'', close - 1);
        const std::string name(open < close ? reason.substr(open + 1, close - open - 1) : "");
        if (context == "table header") {
            return has(" as ") ? "'" + name + "' is given both as a value and as a table; keep one"
                               : "[" + name + "] is given twice; keep one of them";
        }
        return "'" + name + "' is given twice" + in + "; keep one of them";
    }
    if (description.find("invalid utf-8") != std::string_view::npos) {
        return "the file holds bytes that are not UTF-8 text; save it as UTF-8";
    }
    if (has("end-of-file")) {
        const std::string_view what =
            context.find("string") != std::string_view::npos
                ? "a string (a closing quote is missing)"
            : context == "array"        ? "a list (a closing ] is missing)"
            : context == "table header" ? "a table name (a closing ] is missing)"
            : context == "inline table" ? "a { } table (a closing } is missing)"
                                        : "a value";
        return "the file ends inside " + std::string(what) +
               "; it may have been cut short: save it again from Tarmel or complete it";
    }
    if (context.find("string") != std::string_view::npos) {
        if (has("escape sequence")) {
            return value + " holds an unknown escape after a backslash; write \\\\ for a "
                           "backslash";
        }
        return value + " is a string that is not closed on its line; end it with the quote "
                       "it starts with";
    }
    if (context == "table header") {
        return "the table name on this line is malformed; write it as [name] alone on its line";
    }
    if (has("expected '='")) {
        return "a key must be followed by '=' and a value; write key = value";
    }
    if (has("expected value,")) {
        return "'" + key + "'" + in + " has no value after '='";
    }
    if (context == "key-value pair" && has("expected a comment or whitespace")) {
        return "something follows the value of '" + key + "'" + in +
               "; write one key = value on each line";
    }
    if (has("expected keys, tables")) {
        return "this line is neither key = value, nor a [table], nor a # comment";
    }
    if (context == "array" || context == "inline table") {
        return value + " is a malformed list; separate the values by commas and close it";
    }
    if (has("leading zero")) {
        return value + " starts with a zero; write whole numbers without leading zeros";
    }
    if (has("not representable")) {
        return value + " is too large a number";
    }
    if (!key.empty()) {
        return value + " is not a number, true, false, a quoted string or a [list]";
    }
    return "this is not how a settings file is written (" + std::string(reason) + ")";
}

} // namespace

Settings parseSettings(std::string_view text, const std::string& source) {
    toml::table root;
    try {
        root = toml::parse(text, std::string_view(source));
    } catch (const toml::parse_error& e) {
        std::string message = source + ": ";
        if (e.source().begin.line > 0) {
            message += "line " + std::to_string(e.source().begin.line) + ": ";
        }
        throw SettingsError(message + plainWords(e.description(), text,
                                                 static_cast<std::size_t>(e.source().begin.line)));
    }
    const Checker c(source);
    if (const toml::node* version = root.get("version"); version != nullptr &&
                                                         version->as_integer() != nullptr &&
                                                         version->as_integer()->get() != kVersion) {
        c.refuse(version, "version " + std::to_string(version->as_integer()->get()) +
                              " is not supported; this Tarmel reads version 1");
    }
    Settings s;
    // The name and category are optional: files saved before they existed stay valid.
    s.name = c.text(root, "name");
    s.category = c.text(root, "category");
    std::vector<std::string> rootKeys = keysOf("");
    rootKeys.insert(rootKeys.end(), {"version", "state"});
    constexpr std::array<std::string_view, 2> kOptional{"name", "category"};
    c.onlyKeys(root, "", std::vector<std::string_view>(rootKeys.begin(), rootKeys.end()),
               kOptional);
    c.whole(root, "", "version", kVersion, kVersion);
    readControls(c, root, s);
    readState(c, c.table(root, "", "state"), s.state);
    return s;
}

Settings readSettings(const std::filesystem::path& file) {
    const std::string name = file.string();
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(file, ec);
    if (ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory) {
        throw SettingsError(name + ": there is no such file", SettingsError::Kind::Missing);
    }
    if (ec) {
        throw SettingsError(name + ": cannot read it: " + ec.message(),
                            SettingsError::Kind::Unreadable);
    }
    if (size > kMaxSettingsBytes) {
        throw SettingsError(name + ": the file is larger than 1 MiB; it is not a settings file");
    }
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in) {
        throw SettingsError(name + ": cannot read it: " + std::strerror(errno),
                            SettingsError::Kind::Unreadable);
    }
    return parseSettings(text.str(), name);
}

std::string settingsText(const Settings& s) {
    toml::table root{{"version", kVersion}};
    if (!s.name.empty()) {
        root.insert("name", s.name);
    }
    if (!s.category.empty()) {
        root.insert("category", s.category);
    }
    // Each control's value at its key; toml++ orders every table's keys.
    for (const sound::Control& control : sound::controls()) {
        toml::table* table = &root;
        std::string_view key = control.key;
        for (std::size_t dot = key.find('.'); dot != std::string_view::npos; dot = key.find('.')) {
            const std::string part(key.substr(0, dot));
            if (!table->contains(part)) {
                table->insert(part, toml::table{});
            }
            table = table->get(part)->as_table();
            key.remove_prefix(dot + 1);
        }
        const int value = control.get(s);
        if (control.toggled()) {
            table->insert(std::string(key), value != 0);
        } else {
            table->insert(std::string(key), static_cast<int64_t>(value));
        }
    }
    toml::array outputs;
    for (double v : s.state.modOut) {
        outputs.push_back(v);
    }
    const synth::RandomGenerator::Raw raw = s.state.random.raw();
    char hex[17] = {};
    std::to_chars(hex, hex + 16, raw.state, 16);
    std::string random = std::string(hex);
    random.insert(0, 16 - random.size(), '0');
    root.insert("state", toml::table{{"outputs", std::move(outputs)},
                                     {"random", "0x" + random},
                                     {"random-last", static_cast<double>(raw.last)}});
    std::ostringstream out;
    out << "# Tarmel settings: pitches, envelope, play boxes, the fifteen modulators and the\n"
           "# state the next generation starts from. The format is described in its manual\n"
           "# page: man 5 tarmel-settings\n"
        << toml::toml_formatter(root, toml::toml_formatter::default_flags &
                                          ~toml::format_flags::indent_sub_tables)
        << "\n";
    return out.str();
}

void writeSettings(const std::filesystem::path& file, const Settings& settings) {
    writeBytesAtomically(file, true, settingsText(settings));
}

} // namespace tarmel::files
