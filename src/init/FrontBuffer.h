#ifndef GLOSSPIN_INIT_FRONTBUFFER_H
#define GLOSSPIN_INIT_FRONTBUFFER_H

#include <GL/glx.h>

class SoGLRenderAction;
class SoPath;
typedef struct _WidgetRec *Widget;

// Draws path with action straight into the front buffer of w's window,
// in context, without a redraw of the whole scene; the draw buffer is
// restored afterwards and the context stays current. drawing is TRUE
// while the path is drawn, so that nodes on it can tell this drawing
// from an ordinary render. In a double-buffered window the path's tail is
// touched instead, and the window's next redraw shows it.
void gspDrawIntoFrontBuffer(Widget w, GLXContext context, SoGLRenderAction *action,
                            SoPath *path, int &drawing);

#endif
