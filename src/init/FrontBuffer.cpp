#include "init/FrontBuffer.h"

#include <GL/gl.h>
#include <Inventor/actions/SoGLRenderAction.h>
#include <X11/Intrinsic.h>

void gspDrawIntoFrontBuffer(Widget w, GLXContext context, SoGLRenderAction *action,
                            SoPath *path, int &drawing)
{
    glXMakeCurrent(XtDisplay(w), XtWindow(w), context);
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
