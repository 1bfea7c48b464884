#include "json_document.h"

#include "core/errors.h"
#include "core/message_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <set>

namespace dmtool {

namespace {

void appendJson(std::string& out, const Json& value, int depth, int expandedDepth) {
    if (value.is_number_float()) {
        out += jsonFloat(value.get<float>());
        return;
    }
    if (!value.is_structured() || value.empty()) {
        out += value.dump(-1, ' ', false, Json::error_handler_t::replace);
        return;
    }
    const bool expanded = depth < expandedDepth;
    out += value.is_object() ? '{' : '[';
    bool first = true;
    for (auto member = value.begin(); member != value.end(); ++member) {
        if (!first)
            out += expanded ? "," : ", ";
        first = false;
        if (expanded)
            out.append("\n").append(2 * (depth + 1), ' ');
        if (value.is_object())
            out += Json(member.key()).dump(-1, ' ', false, Json::error_handler_t::replace) + ": ";
        appendJson(out, *member, depth + 1, expandedDepth);
    }
    if (expanded)
        out.append("\n").append(2 * depth, ' ');
    out += value.is_object() ? '}' : ']';
}

// The document tree as the library builds it, refusing nesting deeper than a dump document needs
// (with room for a stray array as a value) before anything that recurses sees it. Parse errors
// quote the user's token escaped and cut.
class DocumentBuilder : public nlohmann::detail::json_sax_dom_parser<Json> {
public:
    using json_sax_dom_parser::json_sax_dom_parser;

    bool start_object(std::size_t size) {
        enter();
        keys_.emplace_back();
        return json_sax_dom_parser::start_object(size);
    }
    bool start_array(std::size_t size) {
        enter();
        keys_.emplace_back();
        return json_sax_dom_parser::start_array(size);
    }
    bool end_object() {
        leave();
        return json_sax_dom_parser::end_object();
    }
    bool end_array() {
        leave();
        return json_sax_dom_parser::end_array();
    }
    // The library would keep the last of two equal keys: a document that says two things is
    // refused instead.
    bool key(std::string& name) {
        if (!keys_.back().insert(name).second)
            throw dm::DamageError("Member '" + dm::messageText(name) + "' is given twice");
        return json_sax_dom_parser::key(name);
    }

    bool parse_error(std::size_t, const std::string& lastToken,
                     const nlohmann::detail::exception& error) {
        std::string message = error.what();
        if (message.starts_with('['))
            message.erase(0, std::min(message.size(), message.find("] ") + 2));
        const std::string quotedToken = "'" + lastToken + "'";
        if (const std::size_t at = message.rfind(quotedToken); at != std::string::npos)
            message.replace(at, quotedToken.size(), "'" + dm::messageText(lastToken) + "'");
        throw dm::DamageError("Not a JSON document: " + message);
    }

private:
    static constexpr int kDeepestNesting = 8;

    void enter() {
        if (++depth_ > kDeepestNesting)
            throw dm::DamageError("Not a JSON document: nested more than " +
                                  std::to_string(kDeepestNesting) + " levels deep");
    }

    void leave() {
        --depth_;
        keys_.pop_back();
    }

    int depth_ = 0;
    std::vector<std::set<std::string>> keys_; // per open object; arrays hold none
};

} // namespace

std::string jsonFloat(float value) {
    if (std::isnan(value))
        return "\"nan\"";
    if (std::isinf(value))
        return value > 0 ? "\"inf\"" : "\"-inf\"";
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

Json floatValue(float value) {
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value > 0 ? "inf" : "-inf";
    return value;
}

std::string formatJson(const Json& document, int expandedDepth) {
    return formatJsonValue(document, 0, expandedDepth) + '\n';
}

std::string formatJsonValue(const Json& value, int depth, int expandedDepth) {
    std::string out;
    appendJson(out, value, depth, expandedDepth);
    return out;
}

Json parseJson(std::string_view text) {
    Json document;
    DocumentBuilder builder(document);
    Json::sax_parse(text, &builder);
    return document;
}

} // namespace dmtool
