#ifndef GLOSSPIN_NOTE_NOTEICONS_H
#define GLOSSPIN_NOTE_NOTEICONS_H

// The note icons, generated from src/note/icons/*.xpm: RGB pixels, the
// bottom row first. The notes hand them to setIconData and
// setActiveIconData, which take non-const pointers but never write.
enum { GSP_ICON_SIZE = 24 };

#define GSP_DECLARE_ICON(kind)                                                \
    extern const unsigned char gspIcon_##kind[];                              \
    extern const unsigned char gspIcon_##kind##_active[];

GSP_DECLARE_ICON(text)
GSP_DECLARE_ICON(url)
GSP_DECLARE_ICON(view)
GSP_DECLARE_ICON(movie)
GSP_DECLARE_ICON(sound)
GSP_DECLARE_ICON(image)
GSP_DECLARE_ICON(system)
GSP_DECLARE_ICON(scene)

#undef GSP_DECLARE_ICON

// Gives a note the normal and the active image of its kind.
#define GSP_SET_NOTE_ICONS(kind)                                              \
    (setIconData(GSP_ICON_SIZE, GSP_ICON_SIZE, (char *)gspIcon_##kind),       \
     setActiveIconData((char *)gspIcon_##kind##_active))

#endif
