#ifndef GLOSSPIN_ZNTEXTNOTE_H
#define GLOSSPIN_ZNTEXTNOTE_H

#include <Glosspin/SoMFBoundedString.h>

#include <Glosspin/ZnNote.h>

/// A note that carries a block of plain text. Inline text lives in the
/// note's own textData field, cut into pieces the file format can hold;
/// external text is a plain text file and textData one empty string.
class ZnTextNote : public ZnNote {
    SO_NODE_HEADER(ZnTextNote);

  public:
    SoMFBoundedString textData;  ///< the inline text, in pieces the file form holds

    /// Registers the class with the toolkit; ZnInit::initClasses() registers them all.
    static void initClass();
    /// A new ZnTextNote, its fields at their defaults.
    ZnTextNote();

    void edit() override;
    void play(int autoPlay) override;
    int isPlaying() const override;
    int isEditing() const override;
    void killPlayer() override;
    void killEditor() override;
    int gatherPendingData(int accept) override;
    const char *getFileSuffix() override;
    int estimateDiskSpaceRequired(int binary) override;
    void setDataFilename(const char *name, int ownFile) override;
    int getUndoWeight() override;
    int copyDataToExternalFile(int *sameFile) override;
    int extractDataTo(const char *path) override;

    /// The text as last loaded or edited (the local data).
    const SbString &getText() const { return text; }
    /// Takes the local text from the data file, a string or the field.
    ///@{
    void loadFromFile();
    void loadFromString(const char *s);
    void loadFromField();
    ///@}
    /// Sizes the dialog's text widget for s.
    void findDialogSize(const char *s);
    /// Puts s into textData (the note's inline text).
    void setFieldFromString(const char *s);
    /// Loads the local text from the field or the data file unless it is
    /// loaded already; 0 when the external file cannot be read.
    int updateLocalData();
    /// Writes the local text to the data file.
    int blastDataToExternalFile();

    /// Shows the text in the note's dialog, read-only or for editing as
    /// the note's editing flag says.
    ///@{
    static void createDialog(const char *title, ZnTextNote *note);
    static void createDialogCB(Widget w, void *note, void *callData);
    ///@}
    /// Rows and columns the text widget gets.
    ///@{
    int getRows() const { return rows; }
    int getColumns() const { return columns; }
    ///@}

    static const char *fileSuffix;  ///< ".txt"
    /// The text widget's background, editable and read-only.
    ///@{
    static unsigned long textBgPixel, textReadOnlyBgPixel;
    ///@}
    static int textColorInitialized;  ///< the backgrounds have been looked up

  protected:
    ~ZnTextNote() override;

    void closeDialog();
    void placeDialog();

    SbBool readInstance(SoInput *in, unsigned short flags) override;
    void write(SoWriteAction *action) override;

    int writeTextTo(const char *name);
    int storeTypedText();

    SbString text;
    Widget textWidget;
    SbBool editing;
    int rows, columns;
    short savedX, savedY, savedWidth, savedHeight;
};

#endif
