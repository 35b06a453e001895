#include "files/SimulationFile.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <list>
#include <pugixml.hpp>
#include <string_view>
#include <utility>
#include <vector>

#include "files/NumberText.h"
#include "files/ReadReport.h"
#include "filewrite/AtomicFileWriter.h"
#include "tumbleway/NameField.h"
#include "win32/regular_file.h"
#include "win32/win32.h"

namespace {

constexpr const char* kComment = "Tumble Way Simulation file created using XML DOM object.";

void showError(const char* text) {
    MessageBoxA(nullptr, text, "error", MB_OK | MB_ICONERROR);
}

// ---- writing ----

void addText(pugi::xml_node parent, const char* text) {
    parent.append_child(pugi::node_pcdata).set_value(text);
}

// A leaf element holding only its value, preceded by its indentation.
void addLeaf(pugi::xml_node parent, const char* indent, const char* name, std::string_view value) {
    addText(parent, indent);
    parent.append_child(name).append_child(pugi::node_pcdata).set_value(value.data(), value.size());
}

void addNumber(pugi::xml_node parent, const char* indent, const char* name, float value) {
    addLeaf(parent, indent, name, formatNumber(value));
}

// A placed element's name and the start of its location, x, y and z: the rest of the
// location and its closing line are the caller's.
template <typename Element>
pugi::xml_node addPlaced(pugi::xml_node session, const char* tag, const Element& placed) {
    addText(session, "\n\t");
    pugi::xml_node element = session.append_child(tag);
    addLeaf(element, "\n\t\t", "name", nameFieldText(placed.name));
    addText(element, "\n\t\t");
    pugi::xml_node location = element.append_child("location");
    addNumber(location, "\n\t\t\t", "x", placed.x);
    addNumber(location, "\n\t\t\t", "y", placed.y);
    addNumber(location, "\n\t\t\t", "z", placed.z);
    return location;
}

void addXfile(pugi::xml_node session, const SessionXfile& mesh, const TwxMeshExtra& extra) {
    pugi::xml_node location = addPlaced(session, "X-file", mesh);
    pugi::xml_node xfile = location.parent();
    addNumber(location, "\n\t\t\t", "Yaw", mesh.yaw);
    addText(location, "\n\t\t");
    addNumber(xfile, "\n\t\t", "radius", mesh.radius);
    // Only a raised or turned mesh has these elements, so a scene without one reads as
    // it always has.
    if (extra.lift != 0) {
        addNumber(xfile, "\n\t\t", "lift", extra.lift);
    }
    if (extra.turn != 0) {
        addNumber(xfile, "\n\t\t", "turn", extra.turn);
    }
    addText(xfile, "\n\t");
}

void addBitmap(pugi::xml_node session, const SessionBitmap& bitmap) {
    pugi::xml_node location = addPlaced(session, "bitmap", bitmap);
    addText(location, "\n\t\t");
    addText(location.parent(), "\n\t");
}

void addRelation(pugi::xml_node session, const SessionRelation& relation) {
    addText(session, "\n\t");
    pugi::xml_node element = session.append_child("sound-relation");
    addLeaf(element, "\n\t\t", "x-file1", nameFieldText(relation.xfile1));
    addLeaf(element, "\n\t\t", "x-file2", nameFieldText(relation.xfile2));
    addLeaf(element, "\n\t\t", "wav-file", nameFieldText(relation.wavfile));
    addText(element, "\n\t");
}

void addDottedPoint(pugi::xml_node session, const LPoint_t& point) {
    addText(session, "\n\t");
    pugi::xml_node element = session.append_child("DottedPoints");
    addNumber(element, "\n\t\t", "x", point.x);
    addNumber(element, "\n\t\t", "y", point.y);
    addText(element, "\n\t");
}

void addCalculatedPoint(pugi::xml_node session, const LPoint_t& point) {
    addText(session, "\n\t");
    pugi::xml_node element = session.append_child("CalculatedPoints");
    addNumber(element, "\n\t\t", "x", point.x);
    addNumber(element, "\n\t\t", "y", point.y);
    addNumber(element, "\n\t\t", "z", point.z);
    addNumber(element, "\n\t\t", "Pitch", point.pitch);
    addText(element, "\n\t");
}

void buildDocument(pugi::xml_document& document, const LSession_t& session,
                   const std::vector<TwxMeshExtra>& extras) {
    // The declaration is an ordinary processing instruction so that it is written
    // exactly as below; line breaks between the top-level nodes keep the file readable.
    pugi::xml_node declaration = document.append_child(pugi::node_pi);
    declaration.set_name("xml");
    declaration.set_value("version='1.0'");
    addText(document, "\n");
    document.append_child(pugi::node_comment).set_value(kComment);
    addText(document, "\n");
    pugi::xml_node root = document.append_child("Discription");
    addText(document, "\n");

    addText(root, "\n");
    pugi::xml_node node = root.append_child("Session");
    addText(root, "\n");

    addText(node, "\n\t");
    std::size_t index = 0;
    for (const SessionXfile& mesh : session.meshes) {
        addXfile(node, mesh, index < extras.size() ? extras[index] : TwxMeshExtra{0.0f, 0.0f});
        ++index;
    }
    addText(node, "\n\t");
    for (const SessionBitmap& bitmap : session.bitmaps) {
        addBitmap(node, bitmap);
    }
    addText(node, "\n");
    for (const SessionSound& sound : session.sounds) {
        addLeaf(node, "\n\t", "sound", nameFieldText(sound.name));
    }
    addText(node, "\n");
    for (const SessionRelation& relation : session.relations) {
        addRelation(node, relation);
    }
    addText(node, "\n");
    for (const LPoint_t& point : session.dottedPoints) {
        addDottedPoint(node, point);
    }
    addText(node, "\n");
    for (const LPoint_t& point : session.calculatedPoints) {
        addCalculatedPoint(node, point);
    }
    addText(node, "\n");
}

// A reader turns every raw carriage return into a line feed (XML's line-end rule), so a
// name holding one would come back changed; it is written as a character reference
// instead. The layout has no carriage returns of its own, so any that reach the output
// are inside a name.
class TextWriter : public pugi::xml_writer {
public:
    explicit TextWriter(std::string& out) : out_(out) {}
    void write(const void* data, std::size_t size) override {
        std::string_view text(static_cast<const char*>(data), size);
        for (std::size_t cr = text.find('\r'); cr != std::string_view::npos; cr = text.find('\r')) {
            out_.append(text.substr(0, cr));
            out_.append("&#13;");
            text.remove_prefix(cr + 1);
        }
        out_.append(text);
    }

private:
    std::string& out_;
};

// ---- reading ----

// An element's text is all the character data inside it, in document order, as a
// DOM's text property gives it (comments are not kept by the parser). The parser keeps
// the character data that opens an element as the element's value (no node of its
// own), so a leaf's text is its value, handed out where the parser keeps it; only
// mixed content is gathered into the scratch string. The result stays valid until the
// next call with the same scratch string.
class ElementText {
public:
    const char* of(pugi::xml_node element) {
        if (!element.first_child()) {
            return element.value();
        }
        TextCollector collector(scratch_);
        scratch_ = element.value();
        element.traverse(collector); // iterative: deep nesting cannot exhaust the stack
        return scratch_.c_str();
    }

private:
    class TextCollector : public pugi::xml_tree_walker {
    public:
        explicit TextCollector(std::string& text) : text_(text) {}
        // Elements carry the text that opens them as their value, which comes before
        // everything inside them.
        bool for_each(pugi::xml_node& node) override {
            const pugi::xml_node_type type = node.type();
            if (type == pugi::node_pcdata || type == pugi::node_cdata ||
                type == pugi::node_element) {
                text_ += node.value();
            }
            return true;
        }

    private:
        std::string& text_;
    };

    std::string scratch_;
};

bool sameName(const char* a, const char* b) {
    return std::strcmp(a, b) == 0;
}

// The first child element of each of the names, found in one walk over the children.
// The walk asks each node only for its type (a null node's is node_null), as every
// call into the parser's library costs as much as the test it makes.
template <std::size_t N>
struct FirstChildren {
    std::array<pugi::xml_node, N> nodes{};
    std::array<bool, N> found{};
    std::size_t missing = N;

    bool complete() const { return missing == 0; }
};

template <std::size_t N>
FirstChildren<N> firstChildren(pugi::xml_node element, const std::array<const char*, N>& names) {
    FirstChildren<N> children;
    for (pugi::xml_node child = element.first_child(); children.missing > 0;
         child = child.next_sibling()) {
        const pugi::xml_node_type type = child.type();
        if (type == pugi::node_null) {
            break;
        }
        if (type != pugi::node_element) {
            continue;
        }
        const char* name = child.name();
        for (std::size_t i = 0; i < N; ++i) {
            if (!children.found[i] && sameName(name, names[i])) {
                children.nodes[i] = child;
                children.found[i] = true;
                --children.missing;
                break;
            }
        }
    }
    return children;
}

class SessionReader {
public:
    SessionReader(LSession_t& out, ReadReport& report, SceneExtras* extras)
        : out_(out), report_(report), extras_(extras) {}

    // Each group is selected by name, so the order of elements inside "Session" does
    // not matter. X-files and bitmaps are read as the walk over the session meets them
    // (they have no messages); the other groups are read one after the other, so are
    // their messages.
    void read(pugi::xml_node session) {
        std::vector<pugi::xml_node> sounds, relations, dottedPoints, calculatedPoints;
        const std::pair<const char*, std::vector<pugi::xml_node>*> later[] = {
            {"sound", &sounds},
            {"sound-relation", &relations},
            {"DottedPoints", &dottedPoints},
            {"CalculatedPoints", &calculatedPoints}};
        for (pugi::xml_node child = session.first_child();; child = child.next_sibling()) {
            const pugi::xml_node_type type = child.type(); // node_null past the last child
            if (type == pugi::node_null) {
                break;
            }
            if (type != pugi::node_element) {
                continue;
            }
            const char* kind = child.name();
            if (sameName(kind, "X-file")) {
                readXfile(child);
            } else if (sameName(kind, "bitmap")) {
                readBitmap(child);
            } else {
                for (const auto& [name, list] : later) {
                    if (sameName(kind, name)) {
                        list->push_back(child);
                        break;
                    }
                }
            }
        }
        readSounds(sounds);
        readRelations(relations);
        readDottedPoints(dottedPoints);
        readCalculatedPoints(calculatedPoints);
    }

private:
    // Incomplete X-file and bitmap elements are skipped without a word; elements with a
    // number that is not finite are left out and counted in the report.
    void readXfile(pugi::xml_node element) {
        // "lift" and "turn" are there only for a raised or turned mesh; the other three
        // must be.
        const auto fields =
            firstChildren<5>(element, {"name", "location", "radius", "lift", "turn"});
        const auto& [name, location, radius, liftNode, turnNode] = fields.nodes;
        const auto coordinates = firstChildren<4>(location, {"x", "y", "z", "Yaw"});
        const auto& [x, y, z, yaw] = coordinates.nodes;
        if (!fields.found[0] || !fields.found[1] || !fields.found[2] || !coordinates.complete()) {
            return;
        }
        const TwxMeshExtra extra{fields.found[3] ? numberOf(liftNode) : 0.0f,
                                 fields.found[4] ? numberOf(turnNode) : 0.0f};
        if (!std::isfinite(extra.lift) || !std::isfinite(extra.turn)) {
            report_.leaveOut();
            return;
        }
        SessionXfile mesh; // every field is written below, the name to the end of its field
        mesh.id = 0;
        mesh.flag = 0;
        setName(mesh.name, name);
        mesh.x = numberOf(x);
        mesh.y = numberOf(y);
        mesh.z = numberOf(z);
        mesh.yaw = numberOf(yaw);
        mesh.radius = numberOf(radius);
        const std::size_t before = out_.meshes.size();
        report_.keep(out_.meshes, mesh);
        if (extras_ != nullptr && out_.meshes.size() > before) {
            extras_->meshes.push_back(extra);
        }
    }

    void readBitmap(pugi::xml_node element) {
        const auto fields = firstChildren<2>(element, {"name", "location"});
        const auto& [name, location] = fields.nodes;
        const auto coordinates = firstChildren<3>(location, {"x", "y", "z"});
        const auto& [x, y, z] = coordinates.nodes;
        if (!fields.complete() || !coordinates.complete()) {
            return;
        }
        SessionBitmap bitmap{};
        setName(bitmap.name, name);
        bitmap.x = numberOf(x);
        bitmap.y = numberOf(y);
        bitmap.z = numberOf(z);
        report_.keep(out_.bitmaps, bitmap);
    }

    void readSounds(const std::vector<pugi::xml_node>& elements) {
        for (pugi::xml_node element : elements) {
            SessionSound sound{};
            setName(sound.name, element);
            out_.sounds.push_back(sound);
        }
    }

    void readRelations(const std::vector<pugi::xml_node>& elements) {
        static constexpr RequiredChildren<3> kRequired{{{"x-file1", "not found x-file1"},
                                                        {"x-file2", "not found x-file2"},
                                                        {"wav-file", "not found wav-file"}}};
        for (pugi::xml_node element : elements) {
            std::array<pugi::xml_node, 3> found;
            if (!selectAll(element, kRequired, found)) {
                continue;
            }
            SessionRelation relation{};
            setName(relation.xfile1, found[0]);
            setName(relation.xfile2, found[1]);
            setName(relation.wavfile, found[2]);
            out_.relations.push_back(relation);
        }
    }

    void readDottedPoints(const std::vector<pugi::xml_node>& elements) {
        static constexpr RequiredChildren<2> kRequired{
            {{"x", "not found x in DottedPoint"}, {"y", "not found y in DottedPoint"}}};
        readPoints(elements, kRequired, out_.dottedPoints);
    }

    void readCalculatedPoints(const std::vector<pugi::xml_node>& elements) {
        static constexpr RequiredChildren<4> kRequired{
            {{"x", "not found x in CalculatedPoints"},
             {"y", "not found y in CalculatedPoints"},
             {"z", "not found z in CalculatedPoints"},
             {"Pitch", "not found Pitch in CalculatedPoints"}}};
        readPoints(elements, kRequired, out_.calculatedPoints);
    }

    struct RequiredChild {
        const char* name;
        const char* missingMessage;
    };
    template <std::size_t N>
    using RequiredChildren = std::array<RequiredChild, N>;

    // Selects each required child in turn; the first one missing is reported and ends
    // the work on this element.
    template <std::size_t N>
    static bool selectAll(pugi::xml_node element, const RequiredChildren<N>& required,
                          std::array<pugi::xml_node, N>& found) {
        std::array<const char*, N> names;
        for (std::size_t i = 0; i < N; ++i) {
            names[i] = required[i].name;
        }
        const FirstChildren<N> children = firstChildren<N>(element, names);
        found = children.nodes;
        for (std::size_t i = 0; i < N; ++i) {
            if (!children.found[i]) {
                showError(required[i].missingMessage);
                return false;
            }
        }
        return true;
    }

    // Points carry their position among all elements of their group as index, so a
    // skipped or left-out element leaves a gap. The children required are x, y and then, where
    // asked for, z and Pitch.
    template <std::size_t N>
    void readPoints(const std::vector<pugi::xml_node>& elements,
                    const RequiredChildren<N>& required, std::list<LPoint_t>& out) {
        std::int32_t index = 0;
        for (pugi::xml_node element : elements) {
            std::array<pugi::xml_node, N> found;
            if (selectAll(element, required, found)) {
                std::array<float, 4> values{};
                for (std::size_t i = 0; i < N; ++i) {
                    values[i] = numberOf(found[i]);
                }
                report_.keep(out,
                             LPoint_t{index, values[0], values[1], values[2], values[3], false});
            }
            ++index;
        }
    }

    float numberOf(pugi::xml_node element) { return parseNumber(text_.of(element)); }

    void setName(char (&field)[kNameFieldSize], pugi::xml_node element) {
        setNameField(field, text_.of(element));
    }

    LSession_t& out_;
    ReadReport& report_;
    SceneExtras* extras_;
    ElementText text_;
};

// The parser accepts a few documents that are not well formed (several top-level
// elements, or none); such a file is refused like any other malformed one.
bool hasOneRoot(const pugi::xml_document& document) {
    int elements = 0;
    for (pugi::xml_node node : document.children()) {
        elements += node.type() == pugi::node_element ? 1 : 0;
    }
    return elements == 1;
}

} // namespace

std::string simulationFileText(const LSession_t& session, const SceneExtras* extras) {
    pugi::xml_document document;
    buildDocument(document, session,
                  extras != nullptr ? extras->meshes : std::vector<TwxMeshExtra>{});
    std::string text;
    TextWriter writer(text);
    // Raw output: the whitespace is exactly the text nodes added above.
    document.save(writer, PUGIXML_TEXT(""),
                  pugi::format_raw | pugi::format_no_declaration |
                      pugi::format_no_empty_element_tags,
                  pugi::encoding_utf8);
    return text;
}

bool writeSimulationFile(const LSession_t& session, const std::string& path, std::string* error,
                         const SceneExtras* extras) {
    AtomicFileWriter out(path);
    out.write(simulationFileText(session, extras));
    if (out.commit()) {
        return true;
    }
    if (error != nullptr) {
        *error = out.error();
    }
    return false;
}

namespace {

// The whole file, when the name leads to a regular file (a FIFO would wait for a writer).
bool readRegularFile(const std::string& name, std::vector<char>* bytes) {
    RegularFile file = RegularFile::open(name.c_str());
    if (!file || file.size() > bytes->max_size()) {
        return false;
    }
    bytes->resize(static_cast<std::size_t>(file.size()));
    return file.readExactly(bytes->data(), bytes->size());
}

} // namespace

const unsigned kSimulationFileParseOptions =
    pugi::parse_default | pugi::parse_ws_pcdata | pugi::parse_embed_pcdata;

namespace {

// Reads the scene whose bytes are in the buffer (in place: the document is parsed in the
// buffer, which must outlive it); `read` is false when the bytes could not be had at all.
bool readSimulationBytes(char* bytes, std::size_t size, bool read, const std::string& name,
                         LSession_t& session, SceneExtras* extras) {
    pugi::xml_document document;
    // Whitespace-only text is kept, as the writer's layout is part of the text of
    // the elements; CR LF line ends are read as LF.
    const pugi::xml_parse_result parsed =
        read ? document.load_buffer_inplace(bytes, size, kSimulationFileParseOptions)
             : pugi::xml_parse_result();
    if (!parsed || !hasOneRoot(document)) {
        showError(("Cannot Read " + name + ". ##").c_str());
        return false;
    }
    // The root may have any name. A DOM would be asked here for the root's
    // "Discription" descendants and the reading given up ("Cannot GET Discription. ##")
    // only when that query yields no list at all; a query of ours always yields a
    // list, possibly empty, and the list is not used, so there is nothing to check and
    // that message is never shown.
    const pugi::xml_node root = document.document_element();
    const pugi::xml_node node = root.child("Session");
    if (!node) {
        showError("Cannot GET Session. ##");
        return false;
    }
    // Iterating the children directly means an item can never fail to be fetched
    // part-way through a group.
    ReadReport report(name);
    SessionReader(session, report, extras).read(node);
    report.show();
    return true;
}

} // namespace

bool readSimulationFile(const std::string& name, LSession_t& session, SceneExtras* extras) {
    std::vector<char> bytes;
    const bool read = readRegularFile(name, &bytes);
    return readSimulationBytes(bytes.data(), bytes.size(), read, name, session, extras);
}

bool readSimulationText(std::string text, const std::string& name, LSession_t& session,
                        SceneExtras* extras) {
    return readSimulationBytes(text.data(), text.size(), true, name, session, extras);
}
