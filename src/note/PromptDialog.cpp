#include "note/PromptDialog.h"

#include <Glosspin/ZnCommon.h>
#include <Glosspin/ZnNote.h>
#include <Inventor/Xt/SoXt.h>
#include <Xm/Protocols.h>
#include <Xm/SelectioB.h>

std::string gspTextOf(XmString s)
{
    char *text = NULL;
    XmStringGetLtoR(s, (char *)XmFONTLIST_DEFAULT_TAG, &text);
    std::string out = text ? text : "";
    XtFree(text);
    return out;
}

void gspSetLabel(Widget w, const char *resource, const char *key, const char *text)
{
    XmString s = XmStringCreateLocalized((char *)ZnCommon::getResource(key, text));
    XtVaSetValues(w, resource, s, NULL);
    XmStringFree(s);
}

void gspForgetOnDestroy(Widget w, Widget *widget)
{
    XtAddCallback(w, XmNdestroyCallback,
                  [](Widget, XtPointer data, XtPointer) { *(Widget *)data = NULL; }, widget);
}

Widget gspCreatePrompt(const char *name, const char *title, XtCallbackProc callback, ZnNote *note,
                       Widget *store)
{
    Widget top = SoXt::getTopLevelWidget();
    Arg args[1];
    XtSetArg(args[0], XmNautoUnmanage, False);
    Widget d = XmCreatePromptDialog(top, (char *)name, args, 1);
    XtVaSetValues(XtParent(d), XmNtitle, title, NULL);
    for (const char *reason : {XmNokCallback, XmNcancelCallback, XmNhelpCallback})
        XtAddCallback(d, reason, callback, note);
    Atom deleteWindow = XmInternAtom(XtDisplay(top), (char *)"WM_DELETE_WINDOW", False);
    XmAddWMProtocolCallback(XtParent(d), deleteWindow, (XtCallbackProc)ZnNote::windowClosedCB,
                            note);
    *store = d;
    gspForgetOnDestroy(d, store);
    return d;
}

void gspShowPrompt(Widget prompt, const char *message, const char *value)
{
    XmString label = XmStringCreateLocalized((char *)message);
    XmString text = XmStringCreateLocalized((char *)value);
    XtVaSetValues(prompt, XmNselectionLabelString, label, XmNtextString, text, NULL);
    XmStringFree(label);
    XmStringFree(text);
    XtManageChild(prompt);
}
