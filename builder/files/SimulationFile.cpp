#include "files/SimulationFile.h"

#include <cstdio>
#include <cstdlib>
#include <locale.h>
#include <pugixml.hpp>
#include <string_view>

#include "files/AtomicFileWriter.h"
#include "tumbleway/NameField.h"
#include "win32/win32.h"

namespace {

constexpr const char* kComment = "Tumble Way Simulation file created using XML DOM object.";

// The host may run under any locale (Qt adopts the user's at start-up), but the file
// always has a point as its decimal separator.
locale_t classicLocale() {
    static const locale_t locale = ::newlocale(LC_ALL_MASK, "C", locale_t{});
    return locale;
}

std::string formatNumber(float value) {
    char text[64]; // "%f" of the largest float takes 47 characters
    const locale_t previous = ::uselocale(classicLocale() ? classicLocale() : LC_GLOBAL_LOCALE);
    std::snprintf(text, sizeof text, "%f", static_cast<double>(value));
    ::uselocale(previous);
    return text;
}

// atof: leading blanks, then the longest numeric prefix; no number reads as 0.
float parseNumber(const std::string& text) {
    const double value = classicLocale() ? ::strtod_l(text.c_str(), nullptr, classicLocale())
                                         : std::atof(text.c_str());
    return static_cast<float>(value);
}

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

void addXfile(pugi::xml_node session, const SessionXfile& mesh) {
    addText(session, "\n\t");
    pugi::xml_node xfile = session.append_child("X-file");
    addLeaf(xfile, "\n\t\t", "name", nameFieldText(mesh.name));
    addText(xfile, "\n\t\t");
    pugi::xml_node location = xfile.append_child("location");
    addNumber(location, "\n\t\t\t", "x", mesh.x);
    addNumber(location, "\n\t\t\t", "y", mesh.y);
    addNumber(location, "\n\t\t\t", "z", mesh.z);
    addNumber(location, "\n\t\t\t", "Yaw", mesh.yaw);
    addText(location, "\n\t\t");
    addNumber(xfile, "\n\t\t", "radius", mesh.radius);
    addText(xfile, "\n\t");
}

void addBitmap(pugi::xml_node session, const SessionBitmap& bitmap) {
    addText(session, "\n\t");
    pugi::xml_node element = session.append_child("bitmap");
    addLeaf(element, "\n\t\t", "name", nameFieldText(bitmap.name));
    addText(element, "\n\t\t");
    pugi::xml_node location = element.append_child("location");
    addNumber(location, "\n\t\t\t", "x", bitmap.x);
    addNumber(location, "\n\t\t\t", "y", bitmap.y);
    addNumber(location, "\n\t\t\t", "z", bitmap.z);
    addText(location, "\n\t\t");
    addText(element, "\n\t");
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

void buildDocument(pugi::xml_document& document, const LSession_t& session) {
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
    for (const SessionXfile& mesh : session.meshes) {
        addXfile(node, mesh);
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
class WriterAdapter : public pugi::xml_writer {
public:
    explicit WriterAdapter(AtomicFileWriter& out) : out_(out) {}
    void write(const void* data, std::size_t size) override {
        std::string_view text(static_cast<const char*>(data), size);
        for (std::size_t cr = text.find('\r'); cr != std::string_view::npos; cr = text.find('\r')) {
            out_.write(text.substr(0, cr));
            out_.write(std::string_view("&#13;"));
            text.remove_prefix(cr + 1);
        }
        out_.write(text);
    }

private:
    AtomicFileWriter& out_;
};

// ---- reading ----

// An element's text is all the character data inside it, in document order, as a
// DOM's text property gives it (comments are not kept by the parser).
class TextCollector : public pugi::xml_tree_walker {
public:
    bool for_each(pugi::xml_node& node) override {
        if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) {
            text += node.value();
        }
        return true;
    }
    std::string text;
};

std::string textOf(pugi::xml_node element) {
    TextCollector collector;
    element.traverse(collector); // iterative: deep nesting cannot exhaust the stack
    return std::move(collector.text);
}

float numberOf(pugi::xml_node element) {
    return parseNumber(textOf(element));
}

void setName(char (&field)[kNameFieldSize], pugi::xml_node element) {
    setNameField(field, textOf(element));
}

// Incomplete X-file and bitmap elements are skipped without a word.
void readXfiles(pugi::xml_node session, LSession_t& out) {
    for (pugi::xml_node element : session.children("X-file")) {
        const pugi::xml_node name = element.child("name");
        const pugi::xml_node location = element.child("location");
        const pugi::xml_node x = location.child("x");
        const pugi::xml_node y = location.child("y");
        const pugi::xml_node z = location.child("z");
        const pugi::xml_node yaw = location.child("Yaw");
        const pugi::xml_node radius = element.child("radius");
        if (!name || !location || !x || !y || !z || !yaw || !radius) {
            continue;
        }
        SessionXfile mesh{};
        setName(mesh.name, name);
        mesh.x = numberOf(x);
        mesh.y = numberOf(y);
        mesh.z = numberOf(z);
        mesh.yaw = numberOf(yaw);
        mesh.radius = numberOf(radius);
        out.meshes.push_back(mesh);
    }
}

void readBitmaps(pugi::xml_node session, LSession_t& out) {
    for (pugi::xml_node element : session.children("bitmap")) {
        const pugi::xml_node name = element.child("name");
        const pugi::xml_node location = element.child("location");
        const pugi::xml_node x = location.child("x");
        const pugi::xml_node y = location.child("y");
        const pugi::xml_node z = location.child("z");
        if (!name || !location || !x || !y || !z) {
            continue;
        }
        SessionBitmap bitmap{};
        setName(bitmap.name, name);
        bitmap.x = numberOf(x);
        bitmap.y = numberOf(y);
        bitmap.z = numberOf(z);
        out.bitmaps.push_back(bitmap);
    }
}

void readSounds(pugi::xml_node session, LSession_t& out) {
    for (pugi::xml_node element : session.children("sound")) {
        SessionSound sound{};
        setName(sound.name, element);
        out.sounds.push_back(sound);
    }
}

struct RequiredChild {
    const char* name;
    const char* missingMessage;
};

// Selects each required child in turn; the first one missing is reported and ends
// the work on this element.
template <std::size_t N>
bool selectAll(pugi::xml_node element, const RequiredChild (&required)[N],
               pugi::xml_node (&found)[N]) {
    for (std::size_t i = 0; i < N; ++i) {
        found[i] = element.child(required[i].name);
        if (!found[i]) {
            showError(required[i].missingMessage);
            return false;
        }
    }
    return true;
}

void readRelations(pugi::xml_node session, LSession_t& out) {
    static constexpr RequiredChild kRequired[] = {{"x-file1", "not found x-file1"},
                                                  {"x-file2", "not found x-file2"},
                                                  {"wav-file", "not found wav-file"}};
    for (pugi::xml_node element : session.children("sound-relation")) {
        pugi::xml_node found[3];
        if (!selectAll(element, kRequired, found)) {
            continue;
        }
        SessionRelation relation{};
        setName(relation.xfile1, found[0]);
        setName(relation.xfile2, found[1]);
        setName(relation.wavfile, found[2]);
        out.relations.push_back(relation);
    }
}

// Points carry their position among all elements of their group as index, so a
// skipped element leaves a gap.
void readDottedPoints(pugi::xml_node session, LSession_t& out) {
    static constexpr RequiredChild kRequired[] = {{"x", "not found x in DottedPoint"},
                                                  {"y", "not found y in DottedPoint"}};
    std::int32_t index = 0;
    for (pugi::xml_node element : session.children("DottedPoints")) {
        pugi::xml_node found[2];
        if (selectAll(element, kRequired, found)) {
            LPoint_t point{};
            point.index = index;
            point.x = numberOf(found[0]);
            point.y = numberOf(found[1]);
            out.dottedPoints.push_back(point);
        }
        ++index;
    }
}

void readCalculatedPoints(pugi::xml_node session, LSession_t& out) {
    static constexpr RequiredChild kRequired[] = {{"x", "not found x in CalculatedPoints"},
                                                  {"y", "not found y in CalculatedPoints"},
                                                  {"z", "not found z in CalculatedPoints"},
                                                  {"Pitch", "not found Pitch in CalculatedPoints"}};
    std::int32_t index = 0;
    for (pugi::xml_node element : session.children("CalculatedPoints")) {
        pugi::xml_node found[4];
        if (selectAll(element, kRequired, found)) {
            LPoint_t point{};
            point.index = index;
            point.x = numberOf(found[0]);
            point.y = numberOf(found[1]);
            point.z = numberOf(found[2]);
            point.pitch = numberOf(found[3]);
            out.calculatedPoints.push_back(point);
        }
        ++index;
    }
}

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

bool writeSimulationFile(const LSession_t& session, const std::string& path) {
    pugi::xml_document document;
    buildDocument(document, session);
    AtomicFileWriter out(path);
    WriterAdapter adapter(out);
    // Raw output: the whitespace is exactly the text nodes added above.
    document.save(adapter, PUGIXML_TEXT(""),
                  pugi::format_raw | pugi::format_no_declaration |
                      pugi::format_no_empty_element_tags,
                  pugi::encoding_utf8);
    return out.commit();
}

bool readSimulationFile(const std::string& name, LSession_t& session) {
    pugi::xml_document document;
    // Whitespace-only text is kept, as the writer's layout is part of the text of
    // the elements; CR LF line ends are read as LF.
    const pugi::xml_parse_result parsed =
        document.load_file(name.c_str(), pugi::parse_default | pugi::parse_ws_pcdata);
    if (!parsed || !hasOneRoot(document)) {
        showError("Cannot Read data.xml. ##");
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
    // Each group is selected by name, so the order of elements inside "Session" does
    // not matter. Iterating the children directly means an item can never fail to be
    // fetched part-way through a group.
    readXfiles(node, session);
    readBitmaps(node, session);
    readSounds(node, session);
    readRelations(node, session);
    readDottedPoints(node, session);
    readCalculatedPoints(node, session);
    return true;
}
