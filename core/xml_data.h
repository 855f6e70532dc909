#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>
#include <cstdint>
#include <memory>
#include <optional>
#include <pugixml.hpp>
#include <string_view>

// The one way the editor reads and writes XML files. A wrapper holds one DOM document;
// copies share it (the document lives as long as its last holder). Every operation returns a
// success flag and, on failure, leaves a text naming the operation and the failing step.
//
// Elements are pugixml node handles into the shared document; a null handle is an argument
// error. Selection paths are child element names, joined by '/' to go deeper ("MaskPos/W");
// any other expression is evaluated as XPath relative to the element.
class CXmlData {
public:
    // Result codes of the last load or save, in the form the callers compare against.
    static constexpr int32_t S_OK = 0;
    static constexpr int32_t E_FAIL = static_cast<int32_t>(0x80004005u);

    // Longest path, in UTF-16 units, that fits the wrapper's path field.
    static constexpr int kMaxPathLength = 1023;
    // Largest file a load reads: a face file of 100,000 items (the most entries an archive
    // holds) takes about 105 MB. A larger file is refused as unreadable.
    static constexpr qint64 kMaxFileBytes = qint64(128) << 20;
    // The files of the system nest their elements four levels deep (Face, Item, MaskPos, X): the
    // save indents that deep, and a load refuses a file nested more than a few levels beyond.
    static constexpr int kIndentedLevels = 4;
    static constexpr int kMaxDepth = kIndentedLevels + 4;
    // The memory a load may take, as a multiple of the file's size: the text the parser reads in
    // place, the tree it builds and what the caller keeps of it (the entries, see LoadBytesLeft)
    // together. A tree of elements holding short values takes about three times their text, so
    // the bound leaves what the usual files need and refuses what would cost more (a file of
    // empty elements would take some sixteen times its size), as unreadable.
    static constexpr qint64 kLoadBytesPerFileByte = 4;
    // A smaller file may take this much: the parser's pages come in blocks of tens of kilobytes.
    static constexpr qint64 kMinLoadBytes = qint64(8) << 20;

    CXmlData();

    // Replaces any document held by a new, empty one.
    int32_t CreateDocument();

    // Writes a new file holding the XML declaration and an empty root element. An existing
    // file is left as it is: the result is then TRUE with the error text saying so.
    bool CreateXmlData(const QString& path, const QString& rootName);
    // Loads the file; on failure the previous document, if any, stays loaded and usable. Only a
    // regular file of at most kMaxFileBytes, nested at most kMaxDepth levels, whose text and tree
    // fit the load's memory bound (kLoadBytesPerFileByte), is loaded; a load that runs out of
    // memory fails like any other.
    bool LoadXmlData(const QString& path);
    // What the last successful LoadXmlData left of its memory bound, in bytes: what the caller may
    // still spend on what it keeps of the document. Refuse the load when that is exceeded.
    qint64 LoadBytesLeft() const { return m_loadBytesLeft; }
    // Loads UTF-8 text already in memory as LoadXmlData loads a file's text (the same checks,
    // results and error texts, without the memory bound: the text is already held); the path is
    // recorded as the document's.
    bool LoadXmlText(const QString& path, std::string_view text);
    // Saves the document, replacing the file as a whole (never leaves it half written).
    bool SaveXmlData(const QString& path);
    // Replaces the file by the text, a whole document made by the caller, with SaveXmlData's
    // results and error texts. The document held is left as it is.
    bool SaveXmlText(const QString& path, QByteArrayView text);

    bool GetNodeText(pugi::xml_node element, const char* path, QString& text);
    // The leading integer of the selected node's text, read as the Windows runtime's _wtoi.
    bool GetNodeInt(pugi::xml_node element, const char* path, int32_t& value);
    bool SetNodeText(pugi::xml_node element, const char* path, const QString& text);
    bool SetNodeInt(pugi::xml_node element, const char* path, int32_t value);
    bool SetThisNodeText(pugi::xml_node element, const QString& text);
    bool SetThisNodeInt(pugi::xml_node element, int32_t value);

    // Appends a new child element; a null handle on failure.
    pugi::xml_node AddNode(pugi::xml_node parent, const char* name);
    bool AddTextNode(pugi::xml_node parent, const char* name, const QString& text);
    bool AddIntNode(pugi::xml_node parent, const char* name, int32_t value);

    void SetErrorText(const QString& text);

    bool IsLoaded() const { return !m_root.empty(); }
    pugi::xml_node Root() const { return m_root; }
    // The document node itself, the parent of the root element.
    pugi::xml_node Document() const { return *m_document; }
    const QString& Path() const { return m_path; }
    const QString& ErrorText() const { return m_errorText; }
    int32_t Result() const { return m_result; }

    // True when every character of the text can be written into an XML file and read back
    // unchanged (no control characters but tab and line feed, no unpaired surrogates, no
    // U+FFFE/U+FFFF).
    static bool IsXmlText(const QString& text);
    // The text of the element itself, as GetNodeText reads it.
    static QString ThisNodeText(pugi::xml_node element);
    static int32_t ThisNodeInt(pugi::xml_node element);

    // A parsed document and its deepest element level; no document when the text was refused.
    struct ParsedDocument {
        std::shared_ptr<pugi::xml_document> document;
        int deepest = 0;
    };

    // The file's text as a load reads it: UTF-8 (converted from the encoding the file names) and
    // checked as a load checks it; false when a load would refuse the file for its text (not a
    // regular file, empty, larger than kMaxFileBytes, unreadable). `fileBytes` is its size.
    // Without `checkText` the text is not checked beyond its conversion: for a caller that checks
    // every part it uses (as ParseNodes and SavedDeclaration do), which saves a pass over it.
    static bool ReadFileText(const QString& path, QByteArray& text, qint64& fileBytes, bool checkText = true);
    // Parses UTF-8 text holding a run of an element's content (elements, comments, processing
    // instructions and whitespace between them) as a load parses a file, its tree taking at most
    // `maxBytes`: no document when the text is unreadable, not well formed, holds anything else
    // at its top, or nests elements deeper than `maxLevels` (its top elements are level 1).
    static ParsedDocument ParseNodes(std::string_view text, qint64 maxBytes, int maxLevels);
    // Appends the node as a save writes it at the level (the root element is level 1) in a
    // document nested at most kIndentedLevels deep.
    static void AppendNode(QByteArray& out, pugi::xml_node node, int level);
    // The XML declaration as a save writes it, with its line end (naming UTF-8 when it named
    // another encoding: files are written in UTF-8); nothing when the text is not one declaration.
    static std::optional<QByteArray> SavedDeclaration(std::string_view declaration);

private:
    bool AdoptDocument(const QString& path, const ParsedDocument& parsed);
    pugi::xml_node Select(pugi::xml_node element, const char* path) const;
    bool CheckElement(pugi::xml_node element, const char* operation);
    // The node at the path below the element; a null node, with the operation's error text set,
    // when the element is unusable or nothing is there.
    pugi::xml_node FindNode(pugi::xml_node element, const char* path, const char* operation);
    // A text can be put into the node only when it is an element and the text fits XML.
    bool CheckWritable(pugi::xml_node node, bool textFits, const char* operation);

    std::shared_ptr<pugi::xml_document> m_document;
    // The deepest element level the document has held (its root is level 1).
    int m_deepestLevel = 0;
    qint64 m_loadBytesLeft = 0;
    int32_t m_result = S_OK;
    pugi::xml_node m_root;
    QString m_path;
    QString m_errorText;
};
