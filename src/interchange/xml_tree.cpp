#include "interchange/xml_tree.h"

#include "interchange/input_file.h"
#include "interchange/utf8_text.h"

#include <libxml/entities.h>
#include <libxml/parser.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <algorithm>
#include <cctype>

namespace mapolt {

namespace {

// Options for both passes: never the network, no entity substitution, no DTD loading, and no
// messages on stderr (the caller reports). Line numbers past 65,535 stay exact, for the
// report on a damaged file.
constexpr int kStrictOptions =
    XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_BIG_LINES;
constexpr int kRecoverOptions = kStrictOptions | XML_PARSE_RECOVER;

xmlParserInputPtr refuseExternalEntity(const char*, const char*, xmlParserCtxtPtr) {
    return nullptr;
}

// libxml2's entity loader is process-wide; it refuses everything while one of our parses runs
// and is put back afterwards, so other users of the library (schema validation) are unaffected.
class EntityLoaderRefusal {
  public:
    EntityLoaderRefusal() : previous_(xmlGetExternalEntityLoader()) {
        xmlSetExternalEntityLoader(refuseExternalEntity);
    }
    ~EntityLoaderRefusal() { xmlSetExternalEntityLoader(previous_); }
    EntityLoaderRefusal(const EntityLoaderRefusal&) = delete;
    EntityLoaderRefusal& operator=(const EntityLoaderRefusal&) = delete;

  private:
    xmlExternalEntityLoader previous_;
};

xmlDocPtr parseBytes(std::string_view text, int options) {
    if (text.size() > static_cast<std::size_t>(INT32_MAX))
        return nullptr;
    return xmlReadMemory(text.data(), static_cast<int>(text.size()), nullptr, nullptr, options);
}

// Files in UTF-16 or a declared 8-bit encoding are converted by the parser; the bytes of all
// others must be UTF-8 already.
bool declaresUtf8(std::string_view text) {
    if (text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF"))
        return false;
    if (!text.starts_with("<?xml"))
        return true;
    std::string declaration(text.substr(0, text.find("?>")));
    std::transform(declaration.begin(), declaration.end(), declaration.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const std::size_t at = declaration.find("encoding");
    if (at == std::string::npos)
        return true;
    const std::size_t quote = declaration.find_first_of("\"'", at);
    return quote == std::string::npos || declaration.compare(quote + 1, 5, "utf-8") == 0 ||
           declaration.compare(quote + 1, 4, "utf8") == 0;
}

// Every text of the tree is valid UTF-8 (whatever the parser made of a damaged file in
// recover mode) and within the bound; the reason and line of the first that is not.
std::string textFault(xmlDocPtr doc) {
    std::vector<xmlNodePtr> todo{xmlDocGetRootElement(doc)};
    while (!todo.empty()) {
        xmlNodePtr node = todo.back();
        todo.pop_back();
        for (; node != nullptr; node = node->next) {
            if ((node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) &&
                node->content != nullptr) {
                const std::string_view content(reinterpret_cast<const char*>(node->content));
                const std::string line = std::to_string(xmlGetLineNo(node));
                if (content.size() > kMaxXmlText)
                    return "a text at line " + line + " is longer than " +
                           std::to_string(kMaxXmlText / 1024) + " KiB";
                if (const std::optional<Utf8Fault> fault = findUtf8Fault(content))
                    return "invalid UTF-8 near line " + line + ": " + fault->reason;
            }
            if (node->type == XML_ELEMENT_NODE && node->children != nullptr)
                todo.push_back(node->children);
        }
    }
    return {};
}

bool isNameChar(char c) {
    return c != '/' && c != '[';
}

} // namespace

std::unique_ptr<XmlTree> XmlTree::parseFile(const std::filesystem::path& path, std::string& error) {
    std::string bytes;
    if (const std::string reason = readRegularFile(path, bytes); !reason.empty()) {
        error = "Could not read \"" + path.string() + "\": " + reason;
        return nullptr;
    }
    std::unique_ptr<XmlTree> tree = parseText(bytes, error);
    if (!tree) {
        std::string message = "\"";
        message += path.string();
        message += "\" is no XML file: ";
        message += error;
        error = std::move(message);
    }
    return tree;
}

std::unique_ptr<XmlTree> XmlTree::parseText(std::string_view text, std::string& error) {
    if (declaresUtf8(text))
        if (const std::optional<Utf8Fault> fault = findUtf8Fault(text)) {
            error = describe(*fault);
            return nullptr;
        }
    EntityLoaderRefusal refusal;
    bool recovered = false;
    xmlDocPtr doc = parseBytes(text, kStrictOptions);
    if (doc == nullptr) {
        recovered = true;
        doc = parseBytes(text, kRecoverOptions);
    }
    if (doc == nullptr || xmlDocGetRootElement(doc) == nullptr) {
        if (doc != nullptr)
            xmlFreeDoc(doc);
        const xmlError* last = xmlGetLastError();
        error = last != nullptr && last->message != nullptr ? last->message : "no XML element";
        while (!error.empty() && (error.back() == '\n' || error.back() == ' '))
            error.pop_back();
        return nullptr;
    }
    std::unique_ptr<XmlTree> tree(new XmlTree(doc, recovered));
    if (const std::string fault = textFault(doc); !fault.empty()) {
        error = fault;
        return nullptr;
    }
    return tree;
}

XmlTree::~XmlTree() {
    if (xpath_ != nullptr)
        xmlXPathFreeContext(xpath_);
    xmlFreeDoc(doc_);
}

xmlXPathContextPtr XmlTree::xpathContext() const {
    if (xpath_ == nullptr)
        xpath_ = xmlXPathNewContext(doc_);
    return xpath_;
}

std::string XmlQuery::localNamePath(std::string_view path) {
    std::string out;
    std::size_t i = 0;
    while (i < path.size()) {
        const char c = path[i];
        if (c == '.' || c == '/') {
            out += c;
            ++i;
            continue;
        }
        if (c == '[') {
            const std::size_t close = path.find(']', i);
            const std::size_t end = close == std::string_view::npos ? path.size() : close + 1;
            out.append(path.substr(i, end - i));
            i = end;
            continue;
        }
        std::size_t end = i;
        while (end < path.size() && isNameChar(path[end]))
            ++end;
        out += "*[local-name()='";
        out.append(path.substr(i, end - i));
        out += "']";
        i = end;
    }
    return out;
}

XmlQuery::XmlQuery(std::string_view path) {
    std::vector<Step> steps;
    bool simple = !path.empty() && path.front() == '.';
    std::size_t i = 1;
    while (simple && i < path.size()) {
        if (path[i] != '/') {
            simple = false;
            break;
        }
        const bool descendant = i + 1 < path.size() && path[i + 1] == '/';
        i += descendant ? 2 : 1;
        std::size_t end = i;
        while (end < path.size() && isNameChar(path[end]))
            ++end;
        const std::string_view name = path.substr(i, end - i);
        const bool first = path.substr(end, 3) == "[1]";
        // A positional predicate on a descendant step counts per parent; leave it to XPath.
        if (name.empty() || name.find_first_of("*.:@()") != std::string_view::npos ||
            (descendant && first) || (end < path.size() && path[end] == '[' && !first)) {
            simple = false;
            break;
        }
        steps.push_back({descendant, std::string(name), first});
        i = end + (first ? 3 : 0);
    }
    if (simple && !steps.empty())
        steps_ = std::move(steps);
    compiled_ = xmlXPathCompile(BAD_CAST localNamePath(path).c_str());
}

XmlQuery::~XmlQuery() {
    if (compiled_ != nullptr)
        xmlXPathFreeCompExpr(compiled_);
}

namespace {

bool named(xmlNodePtr node, const std::string& name) {
    return node->type == XML_ELEMENT_NODE && name == reinterpret_cast<const char*>(node->name);
}

// Elements below `root` with the name, in document order.
void descendantsNamed(xmlNodePtr root, const std::string& name, std::vector<xmlNodePtr>& out) {
    xmlNodePtr node = root->children;
    while (node != nullptr) {
        if (named(node, name))
            out.push_back(node);
        if (node->type == XML_ELEMENT_NODE && node->children != nullptr) {
            node = node->children;
            continue;
        }
        while (node != nullptr && node->next == nullptr) {
            node = node->parent;
            if (node == root)
                return;
        }
        if (node != nullptr)
            node = node->next;
    }
}

} // namespace

std::vector<xmlNodePtr> XmlQuery::select(const XmlTree& tree, xmlNodePtr context) const {
    if (steps_.empty())
        return selectByXPath(tree, context);
    std::vector<xmlNodePtr> current{context != nullptr ? context
                                                       : reinterpret_cast<xmlNodePtr>(tree.doc())};
    std::vector<xmlNodePtr> next;
    for (const Step& step : steps_) {
        next.clear();
        for (xmlNodePtr node : current) {
            if (step.descendant) {
                descendantsNamed(node, step.name, next);
                continue;
            }
            for (xmlNodePtr child = node->children; child != nullptr; child = child->next) {
                if (!named(child, step.name))
                    continue;
                next.push_back(child);
                if (step.firstOnly)
                    break;
            }
        }
        // Several context nodes can nest (a Project inside a Project); XPath answers in
        // document order without repeats.
        if (current.size() > 1) {
            std::stable_sort(next.begin(), next.end(), [](xmlNodePtr a, xmlNodePtr b) {
                return xmlXPathCmpNodes(a, b) == 1;
            });
            next.erase(std::unique(next.begin(), next.end()), next.end());
        }
        current.swap(next);
    }
    return current;
}

std::vector<xmlNodePtr> XmlQuery::selectByXPath(const XmlTree& tree, xmlNodePtr context) const {
    std::vector<xmlNodePtr> nodes;
    if (compiled_ == nullptr)
        return nodes;
    xmlXPathContextPtr ctx = tree.xpathContext();
    if (ctx == nullptr)
        return nodes;
    ctx->node = context != nullptr ? context : reinterpret_cast<xmlNodePtr>(tree.doc());
    xmlXPathObjectPtr result = xmlXPathCompiledEval(compiled_, ctx);
    if (result != nullptr && result->type == XPATH_NODESET && result->nodesetval != nullptr) {
        const xmlNodeSetPtr set = result->nodesetval;
        nodes.assign(set->nodeTab, set->nodeTab + set->nodeNr);
    }
    xmlXPathFreeObject(result);
    return nodes;
}

xmlNodePtr XmlQuery::first(const XmlTree& tree, xmlNodePtr context) const {
    const std::vector<xmlNodePtr> nodes = select(tree, context);
    return nodes.empty() ? nullptr : nodes.front();
}

bool XmlQuery::firstText(const XmlTree& tree, xmlNodePtr context, std::string& text) const {
    xmlNodePtr node = first(tree, context);
    if (node == nullptr)
        return false;
    text = nodeText(node);
    return true;
}

// The texts below the node in document order. The file's own entity references stay
// unexpanded (xmlNodeGetContent would expand them, without bound), and the text stops at the
// bound.
std::string nodeText(xmlNodePtr node) {
    std::string text;
    if (node == nullptr)
        return text;
    const auto add = [&text](xmlNodePtr n) {
        const xmlChar* content = n->content;
        // Of the references only the five predefined ones (&amp; and the like) stand for
        // text; the file's own entities are left out.
        if (n->type == XML_ENTITY_REF_NODE) {
            const xmlEntityPtr predefined = xmlGetPredefinedEntity(n->name);
            content = predefined != nullptr ? predefined->content : nullptr;
        } else if (n->type != XML_TEXT_NODE && n->type != XML_CDATA_SECTION_NODE) {
            content = nullptr;
        }
        if (content != nullptr)
            text.append(
                reinterpret_cast<const char*>(content),
                std::min(static_cast<std::size_t>(xmlStrlen(content)), kMaxXmlText - text.size()));
    };
    if (node->type != XML_ELEMENT_NODE && node->type != XML_ATTRIBUTE_NODE) {
        add(node);
        return text;
    }
    std::vector<xmlNodePtr> resume;
    xmlNodePtr n = node->children;
    while (n != nullptr && text.size() < kMaxXmlText) {
        add(n);
        if (n->type == XML_ELEMENT_NODE && n->children != nullptr) {
            resume.push_back(n->next);
            n = n->children;
            continue;
        }
        n = n->next;
        while (n == nullptr && !resume.empty()) {
            n = resume.back();
            resume.pop_back();
        }
    }
    return text;
}

} // namespace mapolt
