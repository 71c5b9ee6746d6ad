// Display lists of meshes in a real context: creation, compile on first draw, later calls,
// deletion, and the drawing settings.
#include "draw_fixtures.h"
#include "draw_test_window.h"
#include "model/model.h"

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>

namespace {

class DrawListsTest : public testing::Test {
protected:
    void SetUp() override {
        OpenTestWindow(32, 32);
        AddMaterial("plain", 0.5f, 0.5f, 0.5f, -1);
    }
    void TearDown() override {
        for (ObjModel* model : owned) {
            modelList.erase(std::remove(modelList.begin(), modelList.end(), model),
                            modelList.end());
            DeleteDisplayLists(model);
            DeleteModel(model);
        }
        ClearMaterials();
    }
    ObjModel* NewModel(int meshes) {
        ObjModel* model = new ObjModel;
        for (int i = 0; i < meshes; ++i) {
            ObjMesh* mesh = NewSquareMesh();
            SetFaces(mesh, {MakeFace({0, 1, 2, 3}, 0)});
            model->meshes.push_back(mesh);
        }
        owned.push_back(model);
        return model;
    }
    std::vector<ObjModel*> owned;
};

TEST_F(DrawListsTest, CreatedListsCompileOnFirstDrawAndAreDeletedAfter) {
    ObjModel* model = NewModel(2);
    CreateDisplayLists(model);
    int first = model->meshes[0]->displayList;
    int second = model->meshes[1]->displayList;
    ASSERT_GT(first, 1000);
    ASSERT_LT(first, 2000);
    ASSERT_GT(second, 1000);
    ASSERT_LT(second, 2000);
    EXPECT_NE(first, second);

    DrawModel(model);
    EXPECT_EQ(model->meshes[0]->displayList, first - 1000);
    EXPECT_EQ(model->meshes[1]->displayList, second - 1000);
    EXPECT_TRUE(glIsList(first - 1000));
    EXPECT_TRUE(glIsList(second - 1000));

    DrawModel(model); // calls the lists, states stay
    EXPECT_EQ(model->meshes[0]->displayList, first - 1000);

    DeleteDisplayLists(model);
    EXPECT_EQ(model->meshes[0]->displayList, -2);
    EXPECT_EQ(model->meshes[1]->displayList, -2);
    EXPECT_FALSE(glIsList(first - 1000));
    EXPECT_FALSE(glIsList(second - 1000));

    // A model whose lists were deleted stays without lists.
    CreateDisplayLists(model);
    EXPECT_EQ(model->meshes[0]->displayList, -2);
    EXPECT_EQ(model->meshes[1]->displayList, -2);
}

TEST_F(DrawListsTest, CreatingAgainRecompilesTheSameList) {
    ObjModel* model = NewModel(1);
    CreateDisplayLists(model);
    DrawModel(model);
    int list = model->meshes[0]->displayList;
    ASSERT_GT(list, 0);
    CreateDisplayLists(model);
    EXPECT_EQ(model->meshes[0]->displayList, list + 1000);
    CreateDisplayLists(model); // still one compile pending, not two
    EXPECT_EQ(model->meshes[0]->displayList, list + 1000);
    DrawModel(model);
    EXPECT_EQ(model->meshes[0]->displayList, list);
    EXPECT_TRUE(glIsList(list));
}

TEST_F(DrawListsTest, DeletingAListNeverCompiledReleasesItsName) {
    ObjModel* model = NewModel(1);
    CreateDisplayLists(model);
    int list = model->meshes[0]->displayList - 1000;
    ASSERT_TRUE(glIsList(list));
    DeleteDisplayLists(model);
    EXPECT_EQ(model->meshes[0]->displayList, -2);
    EXPECT_FALSE(glIsList(list));
}

TEST_F(DrawListsTest, NullCreatesListsForEveryLoadedModelButDeletedOnes) {
    ObjModel* fresh = NewModel(1);
    ObjModel* deleted = NewModel(1);
    ObjModel* empty = NewModel(0);
    DeleteDisplayLists(deleted);
    modelList.push_back(empty);
    modelList.push_back(fresh);
    modelList.push_back(deleted);

    CreateDisplayLists(nullptr);
    EXPECT_GT(fresh->meshes[0]->displayList, 1000);
    EXPECT_EQ(deleted->meshes[0]->displayList, -2);
    EXPECT_TRUE(empty->meshes.empty());

    DeleteDisplayLists(nullptr); // does nothing
    EXPECT_GT(fresh->meshes[0]->displayList, 1000);
}

TEST_F(DrawListsTest, SettingsAcceptOnlyTheirValues) {
    SetRenderMode('w');
    EXPECT_EQ(renderMode, 'w');
    SetRenderMode('x');
    SetRenderMode('T');
    SetRenderMode('\0');
    EXPECT_EQ(renderMode, 'w');
    SetRenderMode('s');
    EXPECT_EQ(renderMode, 's');
    SetRenderMode('t');
    EXPECT_EQ(renderMode, 't');

    SetShowNormals(true);
    EXPECT_TRUE(showNormals);
    SetShowNormals(false);
    EXPECT_FALSE(showNormals);
}

} // namespace
