#include "prefixes/vdf.h"

#include "system/atomic_file.h"

#include <cctype>

namespace vostrel::prefixes {

namespace {

bool SameKey(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

enum class TokenKind { kText, kOpen, kClose, kCondition, kEnd, kError };

struct Token {
    TokenKind kind = TokenKind::kEnd;
    std::string text;
    int line = 1;
};

class Lexer {
public:
    explicit Lexer(std::string_view text) : text_(text) {}

    Token Next() {
        SkipBlanksAndComments();
        Token token;
        token.line = line_;
        if (pos_ >= text_.size()) return token;
        const char c = text_[pos_];
        if (c == '{') {
            ++pos_;
            token.kind = TokenKind::kOpen;
        } else if (c == '}') {
            ++pos_;
            token.kind = TokenKind::kClose;
        } else if (c == '[') {
            const std::size_t end = text_.find(']', pos_);
            if (end == std::string_view::npos ||
                text_.substr(pos_, end - pos_).find('\n') != std::string_view::npos) {
                token.kind = TokenKind::kError;
                token.text = "unclosed [";
                return token;
            }
            token.kind = TokenKind::kCondition;
            token.text = std::string(text_.substr(pos_ + 1, end - pos_ - 1));
            pos_ = end + 1;
        } else if (c == '"') {
            token.kind = TokenKind::kText;
            ++pos_;
            for (;;) {
                if (pos_ >= text_.size()) {
                    token.kind = TokenKind::kError;
                    token.text = "unclosed quote";
                    return token;
                }
                const char d = text_[pos_++];
                if (d == '"') break;
                if (d == '\n') ++line_;
                if (d == '\\' && pos_ < text_.size()) {
                    const char e = text_[pos_++];
                    switch (e) {
                        case 'n': token.text += '\n'; break;
                        case 't': token.text += '\t'; break;
                        case '\\': token.text += '\\'; break;
                        case '"': token.text += '"'; break;
                        default:
                            token.text += '\\';
                            token.text += e;
                            break;  // a Windows path's backslash
                    }
                    continue;
                }
                token.text += d;
            }
        } else {
            token.kind = TokenKind::kText;
            while (pos_ < text_.size()) {
                const char d = text_[pos_];
                if (std::isspace(static_cast<unsigned char>(d)) || d == '{' || d == '}' || d == '"')
                    break;
                token.text += d;
                ++pos_;
            }
        }
        return token;
    }

private:
    void SkipBlanksAndComments() {
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == '\n') {
                ++line_;
                ++pos_;
            } else if (std::isspace(static_cast<unsigned char>(c))) {
                ++pos_;
            } else if (c == '/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '/') {
                while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
            } else {
                return;
            }
        }
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    int line_ = 1;
};

class Parser {
public:
    explicit Parser(std::string_view text) : lexer_(text) { Advance(); }

    VdfResult Parse() {
        VdfNode root;
        root.block = true;
        if (!ParseEntries(root, /*nested=*/false)) return {std::nullopt, error_};
        return {std::move(root), {}};
    }

private:
    void Advance() { token_ = lexer_.Next(); }

    bool Fail(const std::string& what) {
        if (error_.empty()) error_ = "line " + std::to_string(token_.line) + ": " + what;
        return false;
    }

    // Entries up to the closing "}" of a nested block, or to the end of the file.
    bool ParseEntries(VdfNode& block, bool nested) {
        for (;;) {
            switch (token_.kind) {
                case TokenKind::kEnd: return nested ? Fail("missing }") : true;
                case TokenKind::kClose:
                    if (!nested) return Fail("unexpected }");
                    Advance();
                    return true;
                case TokenKind::kError: return Fail(token_.text);
                case TokenKind::kOpen:
                case TokenKind::kCondition: return Fail("a key was expected");
                case TokenKind::kText: break;
            }
            std::string key = std::move(token_.text);
            Advance();
            VdfNode node;
            if (token_.kind == TokenKind::kOpen) {
                if (++depth_ > kMaxDepth) return Fail("blocks nested too deeply");
                Advance();
                node.block = true;
                if (!ParseEntries(node, /*nested=*/true)) return false;
                --depth_;
            } else if (token_.kind == TokenKind::kText) {
                node.value = std::move(token_.text);
                Advance();
            } else if (token_.kind == TokenKind::kError) {
                return Fail(token_.text);
            } else {
                return Fail("no value for \"" + key + "\"");
            }
            if (token_.kind == TokenKind::kCondition) Advance();
            node.key = std::move(key);
            block.children.push_back(std::move(node));
        }
    }

    static constexpr int kMaxDepth = 64;
    Lexer lexer_;
    Token token_;
    std::string error_;
    int depth_ = 0;
};

}  // namespace

const VdfNode* VdfNode::Find(std::string_view name) const {
    for (const VdfNode& child : children)
        if (SameKey(child.key, name)) return &child;
    return nullptr;
}

std::string VdfNode::Text(std::string_view name) const {
    const VdfNode* node = Find(name);
    return node && !node->block ? node->value : std::string();
}

VdfResult ParseVdf(std::string_view text) {
    // A UTF-8 byte order mark is not part of the first key.
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    return Parser(text).Parse();
}

VdfResult ReadVdfFile(const std::string& path) {
    std::string text, error;
    bool missing = false;
    if (!ReadSmallTextFile(path, kSmallTextFileCap, &text, &error, &missing))
        return {std::nullopt, missing ? path + ": cannot be read" : error};
    VdfResult result = ParseVdf(text);
    if (!result.root) result.error = path + ": " + result.error;
    return result;
}

}  // namespace vostrel::prefixes
