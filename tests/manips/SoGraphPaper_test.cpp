// Grid lines at the multiples of the spacing inside the bounds, rebuilt
// at once, for the defaults, edges on and off multiples, swapped bounds
// and spacings that make no grid.
#include "support/Test.h"

#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoLineSet.h>

namespace {

// The paper with its own parts open to the checks.
struct Paper : SoGraphPaper {
    SoNode *part(const char *name) { return getAnyPart(name, FALSE); }
};

// The x positions of lines along z and the z positions of lines along x,
// each line checked to run the whole way between the bounds.
void gridLines(Paper *g, std::vector<float> &xs, std::vector<float> &zs)
{
    xs.clear(), zs.clear();
    const SoMFVec3f &p = ((SoCoordinate3 *)g->part("lineCoordinate3"))->point;
    const SoMFInt32 &n = ((SoLineSet *)g->part("lineLineSet"))->numVertices;
    ASSERT_EQ(2 * n.getNum(), p.getNum());
    for (int i = 0; i + 1 < p.getNum(); i += 2) {
        ASSERT_EQ(2, n[i / 2]);
        if (p[i][2] == p[i + 1][2])
            zs.push_back(p[i][2]);
        else
            xs.push_back(p[i][0]);
    }
}

}

TEST(GraphPaper, LinesLieOnTheMultiplesInsideTheBounds)
{
    SoNewManips::init();
    GspTest::Held<Paper> g(new Paper);
    const std::vector<float> nine = {-4, -3, -2, -1, 0, 1, 2, 3, 4};
    struct Case {
        float left, right, nearZ, farZ, spacing;
        std::vector<float> xs, zs;
    } cases[] = {
        {-4, 4, 4, -4, 1, nine, nine},
        {0.5f, 3, 4, -4, 1, {1, 2, 3}, nine},
        {0, 4, 4, -4, 1, {1, 2, 3, 4}, nine},
        {4, -4, -4, 4, 1, nine, nine},  // swapped
        {-3, 3, 1, -1, 2, {-2, 0, 2}, {0}},
        {-1, -0.5f, 0.5f, -0.5f, 1, {-1}, {0}},  // a negative minimum edge has its line
        {-0.9f, -0.5f, 1, 0, 1, {}, {1}},
        {-4, 4, 4, -4, 0, {}, {}},
        {-4, 4, 4, -4, -1, {}, {}},
        {-1e6f, 1e6f, 1e6f, -1e6f, 1e-3f, {}, {}},  // too many lines to be a grid
    };
    for (const Case &c : cases) {
        g->left = c.left, g->right = c.right, g->near = c.nearZ, g->far = c.farZ;
        g->gridSpacing = c.spacing;  // rebuilt at once, without a sensor queue run
        std::vector<float> xs, zs;
        gridLines(g, xs, zs);
        EXPECT_EQ(c.xs, xs) << c.left << " " << c.right << " " << c.spacing;
        EXPECT_EQ(c.zs, zs) << c.nearZ << " " << c.farZ << " " << c.spacing;
    }
    g->showPaper(TRUE);
    EXPECT_TRUE(g->part("paperFaceSet"));
    g->showPaper(FALSE);
    EXPECT_FALSE(g->part("paperFaceSet"));
}
