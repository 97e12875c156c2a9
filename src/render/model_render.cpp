#include "render/model_render.h"

#include <GL/gl.h>

#include "formats/texture.h"

// Binds the slot's picture and generates S and T from the normals as a sphere map, so what
// is drawn next reflects it. Texturing itself is left as the caller set it.
void enableSphereMap(int slot) {
  glBindTexture(GL_TEXTURE_2D, g_textures[slot]);
  glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
  glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
  glEnable(GL_TEXTURE_GEN_S);
  glEnable(GL_TEXTURE_GEN_T);
}

void disableSphereMap() {
  glDisable(GL_TEXTURE_GEN_S);
  glDisable(GL_TEXTURE_GEN_T);
}

// Draws every object of the model as triangles with its vertex normals. Textured objects
// show the slot's picture modulated by white; untextured ones are drawn untextured in their
// material's colour (white without a material). The state of the last object stays set.
// Counts and material ids are also held to the lists' real sizes, so a record that
// disagrees with its lists cannot index past them.
void drawModel(Model model, int slot) {
  int objectCount = model.objectCount < (int)model.objects.size() ? model.objectCount : (int)model.objects.size();
  for (int i = 0; i < objectCount; i++) {
    ModelObject& object = model.objects[i];

    if (object.hasTexture) {
      glEnable(GL_TEXTURE_2D);
      glColor3ub(255, 255, 255);
      glBindTexture(GL_TEXTURE_2D, g_textures[slot]);
    } else {
      glDisable(GL_TEXTURE_2D);
      glColor3ub(255, 255, 255);
    }

    glBegin(GL_TRIANGLES);
      for (int f = 0; f < object.faceCount; f++) {
        for (int corner = 0; corner < 3; corner++) {
          int n = object.faces[f].vertexIndex[corner];
          glNormal3f(object.normals[3 * n], object.normals[3 * n + 1], object.normals[3 * n + 2]);
          if (object.hasTexture) {
            if (object.texCoords) glTexCoord2f(object.texCoords[2 * n], object.texCoords[2 * n + 1]);
          } else if (model.materials.size() > 0 && object.materialId >= 0 &&
                     object.materialId < (int)model.materials.size()) {
            const uint8_t* color = model.materials[object.materialId].color;
            glColor3ub(color[0], color[1], color[2]);
          }
          glVertex3f(object.vertices[3 * n], object.vertices[3 * n + 1], object.vertices[3 * n + 2]);
        }
      }
    glEnd();
  }
}
