#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct _xmlDoc;
struct _xmlNode;
struct _xmlXPathCompExpr;
struct _xmlXPathContext;

namespace mapolt {

class XmlQuery;

// No text read from an XML file is longer; a file with a longer one is refused.
inline constexpr std::size_t kMaxXmlText = 64 * 1024;

// A parsed XML file that never touched the network, a DTD or an external entity. A file that
// is not well formed is parsed a second time in libxml2's recover mode. The file's own
// entities are never expanded; files that hold invalid UTF-8 or a text above kMaxXmlText are
// refused.
class XmlTree {
  public:
    // None when the file cannot be read or does not parse even leniently; `error` then names
    // the file and the reason.
    static std::unique_ptr<XmlTree> parseFile(const std::filesystem::path& path,
                                              std::string& error);
    static std::unique_ptr<XmlTree> parseText(std::string_view text, std::string& error);
    ~XmlTree();
    XmlTree(const XmlTree&) = delete;
    XmlTree& operator=(const XmlTree&) = delete;

    _xmlDoc* doc() const { return doc_; }
    // One evaluation context for every query on this tree; made on first use.
    _xmlXPathContext* xpathContext() const;
    // True when the strict parse failed and the tree came from recover mode.
    bool recovered() const { return recovered_; }

  private:
    XmlTree(_xmlDoc* doc, bool recovered) : doc_(doc), recovered_(recovered) {}
    _xmlDoc* doc_;
    mutable _xmlXPathContext* xpath_ = nullptr;
    bool recovered_;
};

// One compiled XPath expression, evaluated against the document or an element. Element names
// in the expression are matched by local name, whatever namespace the file declares.
class XmlQuery {
  public:
    // `path` in the plain form ".//Project/Tasks[1]/Task", "./Name[1]": steps of names with
    // an optional [n] predicate.
    explicit XmlQuery(std::string_view path);
    ~XmlQuery();
    XmlQuery(const XmlQuery&) = delete;
    XmlQuery& operator=(const XmlQuery&) = delete;

    std::vector<_xmlNode*> select(const XmlTree& tree, _xmlNode* context = nullptr) const;
    _xmlNode* first(const XmlTree& tree, _xmlNode* context = nullptr) const;
    // The text of the first match; none when nothing matches.
    bool firstText(const XmlTree& tree, _xmlNode* context, std::string& text) const;

    // The XPath the plain path becomes, and the nodes libxml2's XPath selects for it (the
    // walk must give the same).
    static std::string localNamePath(std::string_view path);
    std::vector<_xmlNode*> selectByXPath(const XmlTree& tree, _xmlNode* context) const;

  private:
    // Location paths of name steps, each on the child or descendant axis and optionally [1],
    // are answered by walking the tree: the same nodes in the same order as libxml2's XPath,
    // without building a node set per visited node. Any other path goes to libxml2.
    struct Step {
        bool descendant;
        std::string name;
        bool firstOnly;
    };
    std::vector<Step> steps_;
    _xmlXPathCompExpr* compiled_ = nullptr;
};

// The node's text, without expanding entity references, at most kMaxXmlText bytes.
std::string nodeText(_xmlNode* node);

} // namespace mapolt
