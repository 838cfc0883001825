#include "init/FrontBuffer.h"

#include <GL/gl.h>
#include <Inventor/SoPath.h>
#include <Inventor/actions/SoGLRenderAction.h>
#include <X11/Intrinsic.h>

#include "init/FullPath.h"

void gspDrawIntoFrontBuffer(Widget w, GLXContext context, SoGLRenderAction *action,
                            SoPath *path, int &drawing)
{
    glXMakeCurrent(XtDisplay(w), XtWindow(w), context);
    GLboolean doubleBuffered = GL_FALSE;
    glGetBooleanv(GL_DOUBLEBUFFER, &doubleBuffered);
    if (doubleBuffered) {
        // A GL may keep the front buffer of a double-buffered window as a
        // copy of its own that swaps do not update (the software renderer
        // does): drawn into, it puts an old frame back on the screen. The
        // window's next redraw draws the path in its new colours instead.
        gspFullTail(path)->touch();
        return;
    }
    GLint buffer;
    glGetIntegerv(GL_DRAW_BUFFER, &buffer);
    if (buffer != GL_FRONT)
        glDrawBuffer(GL_FRONT);
    drawing = TRUE;
    action->apply(path);
    drawing = FALSE;
    glFlush();
    if (buffer != GL_FRONT)
        glDrawBuffer((GLenum)buffer);
}
