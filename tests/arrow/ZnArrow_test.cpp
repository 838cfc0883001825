// The arrow shape: types and their parts, tessellation counts, bounding
// boxes, ray picks against hand-computed intersections, and the file form.
#include "support/Test.h"

#include <Inventor/nodes/SoComplexity.h>
#include <Inventor/nodes/SoMaterialBinding.h>

namespace {

struct Hit {
    SbVec3f point, normal;
    int part;
    int material;  // the picked point's material index
};

class ArrowTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        SoDB::init();
        // Registering the arrow registers the whole library.
        ZnArrow::initClass();
        ASSERT_TRUE(ZnInit::isInitialized());
        ASSERT_EQ(SoType::fromName("MFULong"), SoSFDelayedData::getClassTypeId());
        root = new SoSeparator;
        root->ref();
        complexity = new SoComplexity;
        arrow = new ZnArrow;
        root->addChild(complexity);
        root->addChild(arrow);
    }
    void TearDown() override { root->unref(); }

    int triangles() { return trianglesOf(root); }

    static int trianglesOf(SoNode *scene)
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

    SbBox3f bbox()
    {
        SoGetBoundingBoxAction ba(SbViewportRegion(100, 100));
        ba.apply(root);
        return ba.getBoundingBox();
    }

    // Every hit of a world-space ray, nearest first.
    std::vector<Hit> pickRay(const SbVec3f &start, const SbVec3f &dir)
    {
        SoRayPickAction pa(SbViewportRegion(200, 200));
        pa.setRay(start, dir);
        pa.setPickAll(TRUE);
        pa.apply(root);
        return collect(pa);
    }

    // Every hit under a pixel of an orthographic view of (0, 2) with
    // 20 pixels a unit, for the line parts.
    std::vector<Hit> pickPixel(short x, short y)
    {
        SoOrthographicCamera *cam = new SoOrthographicCamera;
        cam->position = SbVec3f(0, 2, 10);
        cam->height = 10;
        root->insertChild(cam, 0);
        SoRayPickAction pa(SbViewportRegion(200, 200));
        pa.setPoint(SbVec2s(x, y));
        pa.setPickAll(TRUE);
        pa.apply(root);
        root->removeChild(cam);
        return collect(pa);
    }

    std::vector<Hit> collect(SoRayPickAction &pa)
    {
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

    SoSeparator *root;
    SoComplexity *complexity;
    ZnArrow *arrow;
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
        EXPECT_EQ(t.triangles, triangles()) << t.type << " at " << t.complexity;
    }
    EXPECT_FLOAT_EQ(3.6f, arrow->shaftLength.getValue());
    // An unknown type changes nothing.
    EXPECT_FALSE(arrow->setType(5));
    EXPECT_EQ(6, arrow->parts.getValue());

    // Removing the head leaves the shaft; ignored parts mean all of them.
    arrow->setType(ZnArrow::ARROW);
    complexity->value = 1.0f;
    arrow->removePart(ZnArrow::HEAD);
    EXPECT_EQ(4 * 32 * 2 + 32, triangles());
    arrow->parts.setIgnored(TRUE);
    EXPECT_TRUE(arrow->hasPart(ZnArrow::HEAD));
}

// Rays against hand-computed intersections: points, normals and parts,
// nearest first (a zero normal is not checked).
TEST_F(ArrowTest, RaysHitWhereTheSurfacesAre)
{
    struct Expected {
        SbVec3f point, normal;
        int part;
    };
    const float coneY = sqrtf(0.02f) / 0.4f;  // where the cone's radius is sqrt(0.02)
    const SbVec3f any(0, 0, 0);
    struct {
        int type;
        SbVec3f start, dir;
        std::vector<Expected> hits;
    } rays[] = {
        {ZnArrow::ARROW, SbVec3f(-5, 0.5f, 0), SbVec3f(1, 0, 0),  // the cone's side
         {{SbVec3f(-0.2f, 0.5f, 0), unit(-0.1f, -0.04f, 0), ZnArrow::HEAD},
          {SbVec3f(0.2f, 0.5f, 0), unit(-0.1f, 0.04f, 0), ZnArrow::HEAD}}},
        {ZnArrow::ARROW, SbVec3f(0.1f, 6, 0.1f), SbVec3f(0, -1, 0),  // base disc, then side
         {{SbVec3f(0.1f, 1, 0.1f), SbVec3f(0, 1, 0), ZnArrow::HEAD},
          {SbVec3f(0.1f, coneY, 0.1f), any, ZnArrow::HEAD}}},
        {ZnArrow::ARROW, SbVec3f(-5, 2, 0), SbVec3f(1, 0, 0),  // the shaft
         {{SbVec3f(-0.13f, 2, 0), SbVec3f(-1, 0, 0), ZnArrow::SHAFT},
          {SbVec3f(0.13f, 2, 0), SbVec3f(1, 0, 0), ZnArrow::SHAFT}}},
        {ZnArrow::ARROW, SbVec3f(0.05f, 9, 0), SbVec3f(0, -1, 0),  // end cap, base disc
         {{SbVec3f(0.05f, 4, 0), SbVec3f(0, 1, 0), ZnArrow::SHAFT},
          {SbVec3f(0.05f, 1, 0), SbVec3f(0, 1, 0), ZnArrow::HEAD}}},
        {ZnArrow::PUSHPIN, SbVec3f(-5, 3.8f, 0), SbVec3f(1, 0, 0),  // the ball
         {{SbVec3f(-0.2f, 3.8f, 0), SbVec3f(-1, 0, 0), ZnArrow::TAIL},
          {SbVec3f(0.2f, 3.8f, 0), SbVec3f(1, 0, 0), ZnArrow::TAIL}}},
    };
    for (auto &r : rays) {
        arrow->setType(r.type);
        std::vector<Hit> hits = pickRay(r.start, r.dir);
        ASSERT_GE(hits.size(), r.hits.size()) << r.start[0] << " " << r.start[1];
        for (size_t i = 0; i < r.hits.size(); i++) {
            EXPECT_VEC_NEAR(hits[i].point, r.hits[i].point);
            if (r.hits[i].normal != any) {
                EXPECT_VEC_NEAR(hits[i].normal, r.hits[i].normal);
            }
            EXPECT_EQ(r.hits[i].part, hits[i].part);
        }
    }
}

// With materials bound per part, the solid arrow's cylinder shaft (side
// and cap) takes the second material; every other part the first.
TEST_F(ArrowTest, PerPartMaterialsGiveOnlyTheCylinderShaftIndexOne)
{
    SoMaterialBinding *binding = new SoMaterialBinding;
    binding->value = SoMaterialBinding::PER_PART;
    root->insertChild(binding, 0);
    struct Case {
        int type;
        SbVec3f start, dir;
        int part, material;
    } cases[] = {
        {ZnArrow::ARROW, SbVec3f(-5, 2, 0), SbVec3f(1, 0, 0), ZnArrow::SHAFT, 1},
        {ZnArrow::ARROW, SbVec3f(0.05f, 9, 0), SbVec3f(0, -1, 0), ZnArrow::SHAFT, 1},
        {ZnArrow::ARROW, SbVec3f(-5, 0.5f, 0), SbVec3f(1, 0, 0), ZnArrow::HEAD, 0},
        {ZnArrow::PUSHPIN, SbVec3f(-5, 3.8f, 0), SbVec3f(1, 0, 0), ZnArrow::TAIL, 0},
    };
    for (const Case &c : cases) {
        arrow->setType(c.type);
        std::vector<Hit> hits = pickRay(c.start, c.dir);
        ASSERT_FALSE(hits.empty());
        EXPECT_EQ(c.part, hits[0].part);
        EXPECT_EQ(c.material, hits[0].material) << c.type << " part " << c.part;
    }
    for (int type : {ZnArrow::LINE_ARROW, ZnArrow::PUSHPIN}) {
        arrow->setType(type);
        std::vector<Hit> hits = pickPixel(100, 100);  // on the line shaft
        ASSERT_EQ(1u, hits.size());
        EXPECT_EQ(ZnArrow::SHAFT, hits[0].part);
        EXPECT_EQ(0, hits[0].material) << type;
    }
}

TEST_F(ArrowTest, LinePartsArePickedWithinThePickRadius)
{
    arrow->setType(ZnArrow::LINE_ARROW);
    // The shaft under the centre of the view.
    std::vector<Hit> hits = pickPixel(100, 100);
    ASSERT_EQ(1u, hits.size());
    EXPECT_VEC_NEAR(hits[0].point, SbVec3f(0, 2, 0));
    EXPECT_VEC_NEAR(hits[0].normal, SbVec3f(0, 0, 1));
    EXPECT_EQ(ZnArrow::SHAFT, hits[0].part);

    // The end of the first stroke, far from the shaft: one head hit.
    hits = pickPixel((short)(100 + 0.3436f * 20), (short)(100 + (0.8401f - 2) * 20));
    ASSERT_EQ(1u, hits.size());
    EXPECT_EQ(ZnArrow::HEAD, hits[0].part);

    // Nothing beside the strokes.
    EXPECT_TRUE(pickPixel(150, 70).empty());
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
        SoSeparator *read = GspTest::readFromBuffer(GspTest::writeToBuffer(root, binary));
        ASSERT_TRUE(read) << "binary " << binary;
        read->ref();
        ASSERT_EQ(3, read->getNumChildren());
        EXPECT_EQ(6, ((ZnArrow *)read->getChild(1))->parts.getValue());
        EXPECT_FLOAT_EQ(6.0f, ((ZnArrow *)read->getChild(1))->length.getValue());
        EXPECT_TRUE(read->getChild(2)->isOfType(SoCube::getClassTypeId()));
        read->unref();
    }
    // An unknown type reads and draws nothing.
    SoSeparator *read = GspTest::readFromBuffer("#Inventor V2.1 ascii\n\nZnArrow { type 9 }\n");
    ASSERT_TRUE(read);
    read->ref();
    EXPECT_EQ(0, trianglesOf(read));
    read->unref();
}
