#pragma once

#include <list>
#include <string>
#include <vector>

#include "assets/Library.h"
#include "tumbleway/tumbleway.h"

// The library of files the user opened (meshes, bitmaps, sounds), each tied to the
// host's tree item for it, with the entry of each kind chosen last, the meshes and the
// sound picked for the sound relation being assigned, and the folders files are
// searched in.
class AssetLibrary {
public:
    // Files are searched under root/data, then root, then as named, then in every
    // folder remembered.
    void setSearchRoot(std::string root) { m_root = std::move(root); }
    const std::string& searchRoot() const { return m_root; }
    // Finds a file by name. A name that is empty or holds a path separator is never
    // found: scene files must not reach outside the search folders.
    [[nodiscard]] bool resolve(const char* name, std::string* path) const;
    // Adds a folder to search after the fixed ones (once, if it exists).
    void rememberFolder(const std::string& folder);
    void rememberFolderOf(const LF_t& file);

    // Entries are numbered from 0 in the order they were added.
    void add(XfileEntry entry);
    void add(BitmapEntry entry);
    void add(SoundEntry entry);
    std::list<XfileEntry>& xfiles() { return xfileLibrary; }
    const std::list<XfileEntry>& xfiles() const { return xfileLibrary; }
    std::list<BitmapEntry>& bitmaps() { return bitmapLibrary; }
    const std::list<BitmapEntry>& bitmaps() const { return bitmapLibrary; }
    const std::list<SoundEntry>& sounds() const { return soundLibrary; }
    [[nodiscard]] bool holds(HTREEITEM item) const;
    // Removes the entry of the item, letting go of every choice and pick of it.
    [[nodiscard]] bool remove(HTREEITEM item);

    // Choosing an entry of a kind: a mesh or a bitmap chosen is what the next placing
    // places, so choosing one lets go of the other. The first two meshes chosen are
    // also the relation's picks.
    void selectXfile(HTREEITEM item);
    void selectBitmap(HTREEITEM item);
    void selectSound(HTREEITEM item);
    XfileEntry* currentXfile() const { return m_currentXfile; }
    BitmapEntry* currentBitmap() const { return m_currentBitmap; }
    SoundEntry* currentSound() const { return m_currentSound; }

    // The sound relation being assigned: one or two meshes and a sound.
    XfileEntry* firstPick() const { return m_firstPick; }
    XfileEntry* secondPick() const { return m_secondPick; }
    // Picks the entries of three tree items at once (second may be none); false, with
    // nothing changed, when the library lacks one.
    [[nodiscard]] bool setRelationPicks(HTREEITEM first, HTREEITEM second, HTREEITEM sound);
    // Lets go of the picks and the chosen sound: a relation was assigned or released.
    void clearRelationPicks();

private:
    std::string m_root;
    std::vector<std::string> m_folders; // where library files and scenes were opened
    std::list<XfileEntry> xfileLibrary;
    std::list<BitmapEntry> bitmapLibrary;
    std::list<SoundEntry> soundLibrary;
    XfileEntry* m_currentXfile = nullptr;
    BitmapEntry* m_currentBitmap = nullptr;
    SoundEntry* m_currentSound = nullptr;
    XfileEntry* m_firstPick = nullptr;
    XfileEntry* m_secondPick = nullptr;
};
