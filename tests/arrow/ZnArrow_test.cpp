// The arrow shape: types and their parts, tessellation counts, bounding
// boxes, ray picks against hand-computed intersections with their parts
// and per-part materials, and the file form.
#include "support/Test.h"

#include <Inventor/nodes/SoComplexity.h>

namespace {

struct Hit {
    SbVec3f point, normal;
    int part, material;
};

// An arrow after a complexity and a per-part material binding.
class ArrowTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        SoDB::init();
        // Registering the arrow registers the whole library.
        ZnArrow::initClass();
        ASSERT_EQ(SoType::fromName("MFULong"), SoSFDelayedData::getClassTypeId());
        root = GspTest::readText("MaterialBinding { value PER_PART } Complexity {} ZnArrow {}");
        complexity = (SoComplexity *)root->getChild(1);
        arrow = (ZnArrow *)root->getChild(2);
    }

    static int triangles(SoNode *scene)
    {
        int count = 0;
        SoCallbackAction ca;
        ca.addTriangleCallback(ZnArrow::getClassTypeId(),
                               [](void *d, SoCallbackAction *, const SoPrimitiveVertex *,
                                  const SoPrimitiveVertex *, const SoPrimitiveVertex *) {
                                   ++*(int *)d;
                               },
                               &count);
        ca.apply(scene);
        return count;
    }
    SbBox3f bbox() { return GspTest::boxOf(root); }
    // Every hit of a world-space ray, nearest first; with no direction,
    // under the pixel (x, y) of an orthographic view of (0, 2) with 20
    // pixels a unit, for the line parts.
    std::vector<Hit> pick(const SbVec3f &start, const SbVec3f &dir = SbVec3f(0, 0, 0))
    {
        SoRayPickAction pa(SbViewportRegion(200, 200));
        SoOrthographicCamera *cam = new SoOrthographicCamera;
        cam->position = SbVec3f(0, 2, 10);
        cam->height = 10;
        root->insertChild(cam, 0);
        if (dir == SbVec3f(0, 0, 0))
            pa.setPoint(SbVec2s((short)start[0], (short)start[1]));
        else
            pa.setRay(start, dir);
        pa.setPickAll(TRUE);
        pa.apply(root);
        root->removeChild(cam);
        std::vector<Hit> hits;
        const SoPickedPointList &list = pa.getPickedPointList();
        for (int i = 0; i < list.getLength(); i++) {
            const SoDetail *d = list[i]->getDetail();
            hits.push_back({list[i]->getObjectPoint(), list[i]->getObjectNormal(),
                            d ? ((const ZnArrowDetail *)d)->part : -1,
                            list[i]->getMaterialIndex()});
        }
        return hits;
    }

    SoComplexity *complexity;
    ZnArrow *arrow;
    GspTest::Held<SoSeparator> root;
};

SbVec3f unit(float x, float y, float z)
{
    SbVec3f v(x, y, z);
    v.normalize();
    return v;
}

#define EXPECT_VEC_NEAR(a, b) EXPECT_TRUE((a).equals((b), 1e-3f)) \
    << "(" << (a)[0] << ", " << (a)[1] << ", " << (a)[2] << ") vs (" \
    << (b)[0] << ", " << (b)[1] << ", " << (b)[2] << ")"

}

// Each type's parts, bounds and triangles: at complexity 0.5 a solid
// section has 10 sides, at 1.0 four sections of 32 (a closed strip of n
// sides is 2n triangles, a cap n); the sphere tail is 8 octants of
// strips of depth 1 + trunc(4 * 0.5) = 3.
TEST_F(ArrowTest, TypesSetPartsBoundsAndTessellation)
{
    struct {
        int type;
        float complexity;
        int parts;
        SbVec3f min, max;
        int triangles;
    } types[] = {
        {ZnArrow::ARROW, 0.5f, 3, SbVec3f(-0.4f, 0, -0.4f), SbVec3f(0.4f, 4, 0.4f),
         2 * (10 * 2 + 10)},
        {ZnArrow::ARROW, 1.0f, 3, SbVec3f(-0.4f, 0, -0.4f), SbVec3f(0.4f, 4, 0.4f),
         2 * (4 * 32 * 2 + 32)},
        {ZnArrow::LINE_ARROW, 0.5f, 3, SbVec3f(-0.8f, 0, -0.8f), SbVec3f(0.8f, 4, 0.8f), 0},
        {ZnArrow::PUSHPIN, 0.5f, 6, SbVec3f(-0.2f, 0, -0.2f), SbVec3f(0.2f, 4, 0.2f),
         8 * ((2 * 3 - 1) + (2 * 2 - 1) + 1)},
    };
    for (auto &t : types) {
        ASSERT_TRUE(arrow->setType(t.type));
        complexity->value = t.complexity;
        EXPECT_EQ(t.parts, arrow->parts.getValue()) << t.type;
        EXPECT_VEC_NEAR(bbox().getMin(), t.min);
        EXPECT_VEC_NEAR(bbox().getMax(), t.max);
        EXPECT_EQ(t.triangles, triangles(root)) << t.type << " at " << t.complexity;
    }
    EXPECT_FLOAT_EQ(3.6f, arrow->shaftLength.getValue());
    // An unknown type changes nothing.
    EXPECT_FALSE(arrow->setType(5));
    EXPECT_EQ(6, arrow->parts.getValue());

    // Removing the head leaves the shaft; ignored parts mean all of them.
    arrow->setType(ZnArrow::ARROW);
    complexity->value = 1.0f;
    arrow->removePart(ZnArrow::HEAD);
    EXPECT_EQ(4 * 32 * 2 + 32, triangles(root));
    arrow->parts.setIgnored(TRUE);
    EXPECT_TRUE(arrow->hasPart(ZnArrow::HEAD));
}

// Rays against hand-computed intersections: points and normals (zero
// ones are not checked), parts, nearest first, and the material of the first
// hit: only the solid arrow's cylinder shaft takes the second. Pixel
// picks find the line parts within the pick radius.
TEST_F(ArrowTest, PicksHitWhereTheSurfacesAre)
{
    struct Expected {
        SbVec3f point, normal;
        int part;
    };
    const float coneY = sqrtf(0.02f) / 0.4f;  // where the cone's radius is sqrt(0.02)
    const SbVec3f any(0, 0, 0), pixel(0, 0, 0);
    const SbVec3f headStroke(100 + 0.3436f * 20, 100 + (0.8401f - 2) * 20, 0);
    struct {
        int type;
        SbVec3f start, dir;
        int material;
        std::vector<Expected> hits;
    } rays[] = {
        {ZnArrow::ARROW, SbVec3f(-5, 0.5f, 0), SbVec3f(1, 0, 0), 0,  // the cone's side
         {{SbVec3f(-0.2f, 0.5f, 0), unit(-0.1f, -0.04f, 0), ZnArrow::HEAD},
          {SbVec3f(0.2f, 0.5f, 0), unit(-0.1f, 0.04f, 0), ZnArrow::HEAD}}},
        {ZnArrow::ARROW, SbVec3f(0.1f, 6, 0.1f), SbVec3f(0, -1, 0), 0,  // base disc, side
         {{SbVec3f(0.1f, 1, 0.1f), SbVec3f(0, 1, 0), ZnArrow::HEAD},
          {SbVec3f(0.1f, coneY, 0.1f), any, ZnArrow::HEAD}}},
        {ZnArrow::ARROW, SbVec3f(-5, 2, 0), SbVec3f(1, 0, 0), 1,  // the shaft
         {{SbVec3f(-0.13f, 2, 0), SbVec3f(-1, 0, 0), ZnArrow::SHAFT},
          {SbVec3f(0.13f, 2, 0), SbVec3f(1, 0, 0), ZnArrow::SHAFT}}},
        {ZnArrow::ARROW, SbVec3f(0.05f, 9, 0), SbVec3f(0, -1, 0), 1,  // end cap, base disc
         {{SbVec3f(0.05f, 4, 0), SbVec3f(0, 1, 0), ZnArrow::SHAFT},
          {SbVec3f(0.05f, 1, 0), SbVec3f(0, 1, 0), ZnArrow::HEAD}}},
        {ZnArrow::PUSHPIN, SbVec3f(-5, 3.8f, 0), SbVec3f(1, 0, 0), 0,  // the ball
         {{SbVec3f(-0.2f, 3.8f, 0), SbVec3f(-1, 0, 0), ZnArrow::TAIL},
          {SbVec3f(0.2f, 3.8f, 0), SbVec3f(1, 0, 0), ZnArrow::TAIL}}},
        {ZnArrow::LINE_ARROW, SbVec3f(100, 100, 0), pixel, 0,  // the line shaft
         {{SbVec3f(0, 2, 0), SbVec3f(0, 0, 1), ZnArrow::SHAFT}}},
        {ZnArrow::PUSHPIN, SbVec3f(100, 100, 0), pixel, 0,
         {{SbVec3f(0, 2, 0), SbVec3f(0, 0, 1), ZnArrow::SHAFT}}},
        {ZnArrow::LINE_ARROW, headStroke, pixel, 0,  // the end of the first stroke
         {{any, any, ZnArrow::HEAD}}},
        {ZnArrow::LINE_ARROW, SbVec3f(150, 70, 0), pixel, 0, {}},  // beside the strokes
    };
    for (auto &r : rays) {
        arrow->setType(r.type);
        std::vector<Hit> hits = pick(r.start, r.dir);
        SCOPED_TRACE(::testing::Message() << r.start[0] << " " << r.start[1]);
        ASSERT_EQ(r.dir == pixel, r.dir == pixel && r.hits.size() == hits.size());
        ASSERT_GE(hits.size(), r.hits.size());
        for (size_t i = 0; i < r.hits.size(); i++) {
            EXPECT_TRUE(r.hits[i].point == any || hits[i].point.equals(r.hits[i].point, 1e-3f));
            EXPECT_TRUE(r.hits[i].normal == any || hits[i].normal.equals(r.hits[i].normal, 1e-3f));
            EXPECT_EQ(r.hits[i].part, hits[i].part);
        }
        EXPECT_TRUE(hits.empty() || r.material == hits[0].material);
    }
}

TEST_F(ArrowTest, FilesHoldThePartsAndReadingRunsTheTypeUpdate)
{
    // A new arrow writes only its parts.
    std::string text = GspTest::writeToBuffer(arrow);
    EXPECT_NE(std::string::npos, text.find("parts\t0x3")) << text;
    EXPECT_EQ(std::string::npos, text.find("length")) << text;

    arrow->setType(ZnArrow::PUSHPIN);
    arrow->parts = 1;  // overwritten by the type update on reading
    arrow->length = 6;
    root->addChild(new SoCube);
    for (bool binary : {false, true}) {
        GspTest::Held<SoSeparator> read(
            GspTest::readFromBuffer(GspTest::writeToBuffer(root, binary)));
        ASSERT_TRUE(read) << "binary " << binary;
        ASSERT_EQ(4, read->getNumChildren());
        EXPECT_EQ(6, ((ZnArrow *)read->getChild(2))->parts.getValue());
        EXPECT_FLOAT_EQ(6.0f, ((ZnArrow *)read->getChild(2))->length.getValue());
        EXPECT_TRUE(read->getChild(3)->isOfType(SoCube::getClassTypeId()));
    }
    // An unknown type reads and draws nothing.
    GspTest::Held<SoSeparator> read(GspTest::readText("ZnArrow { type 9 }\n"));
    ASSERT_TRUE(read);
    EXPECT_EQ(0, triangles(read));
}
