// OpenGL 1.1 textures over WebGL 2.
// Supports: glGenTextures, glDeleteTextures, glBindTexture and glIsTexture of GL_TEXTURE_2D
// objects (texture 0 included, as GL 1.1 has it); glTexImage2D of unsigned-byte GL_RGB, GL_RGBA,
// GL_BGR, GL_BGRA, GL_LUMINANCE, GL_LUMINANCE_ALPHA, GL_ALPHA, GL_RED/GREEN/BLUE pixels with
// the unpack alignment, row length and skips, into internal formats 1-4 and the named base and
// sized ones (kept as RGB8 or RGBA8, luminance and intensity spread over the colours, an alpha
// texture white), every mipmap level as gluBuild2DMipmaps uploads them; GL_PROXY_TEXTURE_2D and
// glGetTexLevelParameteriv for GLU's size test; glTexParameter of the filters and wraps
// (GL_CLAMP as clamp to edge); glTexEnv GL_MODULATE; glTexGen's GL_SPHERE_MAP mode for S and T.
// A texture that is not complete (no level 0, or a mipmapped filter with missing or mismatched
// levels) draws as if texturing were off, as OpenGL 1.1 has it.
// Does not support (said once on standard error): borders, border colours, other pixel types,
// 1D and 3D textures, glTexSubImage2D and copies, texture environments but GL_MODULATE, eye-
// and object-linear generation and their planes.
// Depends on webgl_device.cpp for the WebGL textures; every change ends the current batch.
#include <GL/gl.h>

#include <cstring>
#include <vector>

#include "platform/webgl/gl_context.h"

namespace webgl {
namespace {

struct Proxy {
  int width = 0, height = 0;
  GLint internalFormat = 0;
} g_proxy;

bool mipmapped(GLenum filter) { return filter != GL_NEAREST && filter != GL_LINEAR; }

// Whether an internal format keeps an alpha channel; false with *ok false for one unknown.
bool internalHasAlpha(GLint format, bool* ok) {
  *ok = true;
  switch (format) {
    case 1: case 3: case GL_LUMINANCE: case GL_LUMINANCE4: case GL_LUMINANCE8: case GL_LUMINANCE12:
    case GL_LUMINANCE16: case GL_RGB: case GL_R3_G3_B2: case GL_RGB4: case GL_RGB5: case GL_RGB8: case GL_RGB10:
    case GL_RGB12: case GL_RGB16:
      return false;
    case 2: case 4: case GL_ALPHA: case GL_ALPHA4: case GL_ALPHA8: case GL_ALPHA12: case GL_ALPHA16:
    case GL_LUMINANCE_ALPHA: case GL_LUMINANCE4_ALPHA4: case GL_LUMINANCE6_ALPHA2: case GL_LUMINANCE8_ALPHA8:
    case GL_LUMINANCE12_ALPHA4: case GL_LUMINANCE12_ALPHA12: case GL_LUMINANCE16_ALPHA16: case GL_INTENSITY:
    case GL_INTENSITY4: case GL_INTENSITY8: case GL_INTENSITY12: case GL_INTENSITY16: case GL_RGBA:
    case GL_RGBA2: case GL_RGBA4: case GL_RGB5_A1: case GL_RGBA8: case GL_RGB10_A2: case GL_RGBA12: case GL_RGBA16:
      return true;
    default: *ok = false; return false;
  }
}

// The internal format's base: how source components become the stored colour.
enum Base { BASE_RGB, BASE_RGBA, BASE_LUMINANCE, BASE_LUMINANCE_ALPHA, BASE_ALPHA, BASE_INTENSITY };
Base baseOf(GLint f) {
  switch (f) {
    case 1: case GL_LUMINANCE: case GL_LUMINANCE4: case GL_LUMINANCE8: case GL_LUMINANCE12: case GL_LUMINANCE16:
      return BASE_LUMINANCE;
    case 2: case GL_LUMINANCE_ALPHA: case GL_LUMINANCE4_ALPHA4: case GL_LUMINANCE6_ALPHA2: case GL_LUMINANCE8_ALPHA8:
    case GL_LUMINANCE12_ALPHA4: case GL_LUMINANCE12_ALPHA12: case GL_LUMINANCE16_ALPHA16:
      return BASE_LUMINANCE_ALPHA;
    case GL_ALPHA: case GL_ALPHA4: case GL_ALPHA8: case GL_ALPHA12: case GL_ALPHA16: return BASE_ALPHA;
    case GL_INTENSITY: case GL_INTENSITY4: case GL_INTENSITY8: case GL_INTENSITY12: case GL_INTENSITY16:
      return BASE_INTENSITY;
    case 3: case GL_RGB: case GL_R3_G3_B2: case GL_RGB4: case GL_RGB5: case GL_RGB8: case GL_RGB10: case GL_RGB12:
    case GL_RGB16:
      return BASE_RGB;
    default: return BASE_RGBA;
  }
}

// Components per pixel of a source format, or 0 for one not served.
int componentsOf(GLenum format) {
  switch (format) {
    case GL_RED: case GL_GREEN: case GL_BLUE: case GL_ALPHA: case GL_LUMINANCE: return 1;
    case GL_LUMINANCE_ALPHA: return 2;
    case GL_RGB: case GL_BGR: return 3;
    case GL_RGBA: case GL_BGRA: return 4;
    default: return 0;
  }
}

// Source pixel -> R, G, B, A as GL's pixel transfer has them (missing colours 0, alpha 1).
void sourceRgba(GLenum format, const unsigned char* p, unsigned char out[4]) {
  out[0] = out[1] = out[2] = 0;
  out[3] = 255;
  switch (format) {
    case GL_RED: out[0] = p[0]; break;
    case GL_GREEN: out[1] = p[0]; break;
    case GL_BLUE: out[2] = p[0]; break;
    case GL_ALPHA: out[3] = p[0]; break;
    case GL_LUMINANCE: out[0] = out[1] = out[2] = p[0]; break;
    case GL_LUMINANCE_ALPHA: out[0] = out[1] = out[2] = p[0], out[3] = p[1]; break;
    case GL_RGB: out[0] = p[0], out[1] = p[1], out[2] = p[2]; break;
    case GL_BGR: out[0] = p[2], out[1] = p[1], out[2] = p[0]; break;
    case GL_RGBA: out[0] = p[0], out[1] = p[1], out[2] = p[2], out[3] = p[3]; break;
    case GL_BGRA: out[0] = p[2], out[1] = p[1], out[2] = p[0], out[3] = p[3]; break;
  }
}

void ensureDevice(TextureObject& t) {
  if (t.device || !g.ready) return;
  t.device = deviceTextureCreate();
  deviceTextureParameters(t.device, t.minFilter, t.magFilter, t.wrapS, t.wrapT);
}

bool validFilter(GLenum f, bool min) {
  if (f == GL_NEAREST || f == GL_LINEAR) return true;
  return min && (f == GL_NEAREST_MIPMAP_NEAREST || f == GL_LINEAR_MIPMAP_NEAREST || f == GL_NEAREST_MIPMAP_LINEAR ||
                 f == GL_LINEAR_MIPMAP_LINEAR);
}

}  // namespace

TextureObject* boundTexture() {
  auto it = g.textures.find(g.a.boundTexture);
  return it == g.textures.end() ? nullptr : &it->second;
}

void textureChanged(TextureObject& t) {
  t.complete = false;
  if (t.width[0] > 0 && t.height[0] > 0) {
    t.complete = true;
    if (mipmapped(t.minFilter)) {
      int w = t.width[0], h = t.height[0];
      for (int level = 1; (w > 1 || h > 1) && t.complete; ++level) {
        w = w > 1 ? w / 2 : 1;
        h = h > 1 ? h / 2 : 1;
        t.complete = level < TextureObject::kLevels && t.width[level] == w && t.height[level] == h &&
                     t.alpha[level] == t.alpha[0];
      }
    }
  }
  stateChanged();
}

void doBindTexture(GLenum target, GLuint name) {
  if (insideBegin("glBindTexture")) return;
  if (target != GL_TEXTURE_2D) {
    if (target == GL_TEXTURE_1D) unsupported("GL_TEXTURE_1D");
    setError(GL_INVALID_ENUM, "glBindTexture");
    return;
  }
  if (!g.textures.count(name)) g.textures[name] = TextureObject();
  if (g.a.boundTexture != name) {
    g.a.boundTexture = name;
    stateChanged();
  }
}

void doTexParameter(GLenum target, GLenum pname, GLint param) {
  if (insideBegin("glTexParameter")) return;
  if (target != GL_TEXTURE_2D) {
    setError(GL_INVALID_ENUM, "glTexParameter");
    return;
  }
  TextureObject* t = boundTexture();
  if (!t) return;
  GLenum value = GLenum(param);
  switch (pname) {
    case GL_TEXTURE_MIN_FILTER:
    case GL_TEXTURE_MAG_FILTER:
      if (!validFilter(value, pname == GL_TEXTURE_MIN_FILTER)) {
        setError(GL_INVALID_ENUM, "glTexParameter");
        return;
      }
      (pname == GL_TEXTURE_MIN_FILTER ? t->minFilter : t->magFilter) = value;
      break;
    case GL_TEXTURE_WRAP_S:
    case GL_TEXTURE_WRAP_T:
      // OpenGL 1.1's GL_CLAMP samples the border colour beyond the edge; without borders that
      // is the edge itself, the same where the border is never reached.
      if (value == GL_CLAMP) value = GL_CLAMP_TO_EDGE;
      if (value != GL_REPEAT && value != GL_CLAMP_TO_EDGE && value != GL_MIRRORED_REPEAT) {
        setError(GL_INVALID_ENUM, "glTexParameter");
        return;
      }
      (pname == GL_TEXTURE_WRAP_S ? t->wrapS : t->wrapT) = value;
      break;
    case GL_TEXTURE_PRIORITY: return;  // residency is the browser's
    case GL_TEXTURE_BORDER_COLOR: unsupported("GL_TEXTURE_BORDER_COLOR"); return;
    default: setError(GL_INVALID_ENUM, "glTexParameter"); return;
  }
  flushBatch();
  ensureDevice(*t);
  if (t->device) deviceTextureParameters(t->device, t->minFilter, t->magFilter, t->wrapS, t->wrapT);
  textureChanged(*t);
}

void doTexEnv(GLenum target, GLenum pname, GLint param) {
  if (insideBegin("glTexEnv")) return;
  if (target != GL_TEXTURE_ENV || pname != GL_TEXTURE_ENV_MODE) {
    if (pname == GL_TEXTURE_ENV_COLOR) unsupported("GL_TEXTURE_ENV_COLOR");
    setError(GL_INVALID_ENUM, "glTexEnv");
    return;
  }
  if (param != GL_MODULATE && param != GL_REPLACE && param != GL_DECAL && param != GL_BLEND) {
    setError(GL_INVALID_ENUM, "glTexEnv");
    return;
  }
  if (param != GL_MODULATE) unsupported("a texture environment other than GL_MODULATE");
  g.a.texEnvMode = GLenum(param);
  newEpoch();
}

void doTexGen(GLenum coord, GLenum pname, GLint param) {
  if (insideBegin("glTexGen")) return;
  int c = coord == GL_S ? 0 : coord == GL_T ? 1 : coord == GL_R ? 2 : coord == GL_Q ? 3 : -1;
  if (c < 0 || pname != GL_TEXTURE_GEN_MODE) {
    setError(GL_INVALID_ENUM, "glTexGen");
    return;
  }
  GLenum mode = GLenum(param);
  if (mode != GL_OBJECT_LINEAR && mode != GL_EYE_LINEAR && (mode != GL_SPHERE_MAP || c >= 2)) {
    setError(GL_INVALID_ENUM, "glTexGen");
    return;
  }
  if (mode != GL_SPHERE_MAP) unsupported("eye- and object-linear texture-coordinate generation");
  g.a.texGenMode[c] = mode;
  newEpoch();
}

}  // namespace webgl

using namespace webgl;

extern "C" {

void glGenTextures(GLsizei n, GLuint* names) {
  if (n < 0) {
    setError(GL_INVALID_VALUE, "glGenTextures");
    return;
  }
  for (GLsizei i = 0; i < n; ++i) {
    while (g.textures.count(g.nextTexture)) ++g.nextTexture;
    names[i] = g.nextTexture;
    g.textures[g.nextTexture] = TextureObject();
    ++g.nextTexture;
  }
}

void glDeleteTextures(GLsizei n, const GLuint* names) {
  if (n < 0) {
    setError(GL_INVALID_VALUE, "glDeleteTextures");
    return;
  }
  flushBatch();
  for (GLsizei i = 0; i < n; ++i) {
    GLuint name = names[i];
    auto it = g.textures.find(name);
    if (name == 0 || it == g.textures.end()) continue;
    if (it->second.device) deviceTextureDelete(it->second.device);
    g.textures.erase(it);
    if (g.a.boundTexture == name) g.a.boundTexture = 0;
  }
  stateChanged();
}

GLboolean glIsTexture(GLuint name) { return name != 0 && g.textures.count(name) ? GL_TRUE : GL_FALSE; }

void glBindTexture(GLenum target, GLuint name) {
  KS_RECORD(OP_BIND_TEXTURE, wu(target), wu(name));
  doBindTexture(target, name);
}

void glTexParameteri(GLenum target, GLenum pname, GLint param) {
  KS_RECORD(OP_TEX_PARAMETER, wu(target), wu(pname), wu(param));
  doTexParameter(target, pname, param);
}

void glTexParameterf(GLenum target, GLenum pname, GLfloat param) { glTexParameteri(target, pname, GLint(param)); }

void glTexParameteriv(GLenum target, GLenum pname, const GLint* params) { glTexParameteri(target, pname, params[0]); }

void glTexParameterfv(GLenum target, GLenum pname, const GLfloat* params) {
  glTexParameteri(target, pname, GLint(params[0]));
}

void glTexEnvi(GLenum target, GLenum pname, GLint param) {
  KS_RECORD(OP_TEX_ENV, wu(target), wu(pname), wu(param));
  doTexEnv(target, pname, param);
}

void glTexEnvf(GLenum target, GLenum pname, GLfloat param) { glTexEnvi(target, pname, GLint(param)); }

void glTexGeni(GLenum coord, GLenum pname, GLint param) {
  KS_RECORD(OP_TEX_GEN, wu(coord), wu(pname), wu(param));
  doTexGen(coord, pname, param);
}

void glTexGenf(GLenum coord, GLenum pname, GLfloat param) { glTexGeni(coord, pname, GLint(param)); }

void glTexGenfv(GLenum coord, GLenum pname, const GLfloat* params) {
  if (pname == GL_TEXTURE_GEN_MODE) {
    glTexGeni(coord, pname, GLint(params[0]));
    return;
  }
  unsupported("texture-generation planes");
}

void glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLint border,
                  GLenum format, GLenum type, const GLvoid* pixels) {
  if (insideBegin("glTexImage2D")) return;
  if (g.compiling) unsupported("glTexImage2D inside a display list (it is executed at once)");
  bool known;
  const bool alpha = internalHasAlpha(internalFormat, &known);
  const int components = componentsOf(format);
  if (target != GL_TEXTURE_2D && target != GL_PROXY_TEXTURE_2D) {
    setError(GL_INVALID_ENUM, "glTexImage2D");
    return;
  }
  if (!known || !components) {
    setError(known ? GL_INVALID_ENUM : GL_INVALID_VALUE, "glTexImage2D");
    return;
  }
  if (type != GL_UNSIGNED_BYTE) {
    unsupported("glTexImage2D with pixels other than GL_UNSIGNED_BYTE");
    setError(GL_INVALID_ENUM, "glTexImage2D");
    return;
  }
  if (border != 0) {
    unsupported("texture borders");
    setError(GL_INVALID_VALUE, "glTexImage2D");
    return;
  }
  if (level < 0 || level >= TextureObject::kLevels || width < 0 || height < 0) {
    setError(GL_INVALID_VALUE, "glTexImage2D");
    return;
  }
  const int largest = deviceMaxTextureSize() > 0 ? deviceMaxTextureSize() : 2048;
  const int levelLargest = largest >> level;  // level is below kLevels here
  const bool fits = width <= levelLargest && height <= levelLargest;
  if (target == GL_PROXY_TEXTURE_2D) {
    // The proxy only answers whether the image would fit.
    g_proxy.width = fits ? width : 0;
    g_proxy.height = fits ? height : 0;
    g_proxy.internalFormat = fits ? internalFormat : 0;
    return;
  }
  if (!fits) {
    setError(GL_INVALID_VALUE, "glTexImage2D");
    return;
  }
  TextureObject* t = boundTexture();
  if (!t) return;
  if (!g.ready) {
    sayOnce("glTexImage2D before webglPictureInit: the image is not kept");
    return;
  }
  flushBatch();

  // Unpack into tight RGB or RGBA rows, as the pixel store describes the caller's memory.
  const PixelStore& u = g.unpack;
  const int stored = alpha ? 4 : 3;
  const Base base = baseOf(internalFormat);
  std::vector<unsigned char> image(size_t(width) * height * stored, 0);
  if (pixels && width > 0 && height > 0) {
    const size_t rowPixels = u.rowLength > 0 ? size_t(u.rowLength) : size_t(width);
    size_t rowBytes = rowPixels * components;
    rowBytes = (rowBytes + u.alignment - 1) / u.alignment * u.alignment;
    const unsigned char* source = static_cast<const unsigned char*>(pixels) + size_t(u.skipRows) * rowBytes +
                                  size_t(u.skipPixels) * components;
    unsigned char* out = image.data();
    for (int y = 0; y < height; ++y) {
      const unsigned char* p = source + size_t(y) * rowBytes;
      for (int x = 0; x < width; ++x, p += components, out += stored) {
        unsigned char c[4];
        sourceRgba(format, p, c);
        switch (base) {
          case BASE_LUMINANCE: case BASE_LUMINANCE_ALPHA: c[1] = c[2] = c[0]; break;
          case BASE_INTENSITY: c[1] = c[2] = c[3] = c[0]; break;
          case BASE_ALPHA: c[0] = c[1] = c[2] = 255; break;  // modulate keeps the fragment's colour
          default: break;
        }
        std::memcpy(out, c, stored);
      }
    }
  }
  t->width[level] = width;
  t->height[level] = height;
  t->alpha[level] = alpha;
  if (level == 0) t->internalFormat = internalFormat;
  ensureDevice(*t);
  if (t->device && width > 0 && height > 0) deviceTextureImage(t->device, level, alpha, width, height, image.data());
  textureChanged(*t);
}

void glTexImage1D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLint border, GLenum format,
                  GLenum type, const GLvoid* pixels) {
  unsupported("glTexImage1D");
  setError(GL_INVALID_ENUM, "glTexImage1D");
}

void glTexImage3D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLsizei depth,
                  GLint border, GLenum format, GLenum type, const GLvoid* pixels) {
  unsupported("glTexImage3D");
  setError(GL_INVALID_ENUM, "glTexImage3D");
}

void glTexSubImage2D(GLenum target, GLint level, GLint x, GLint y, GLsizei width, GLsizei height, GLenum format,
                     GLenum type, const GLvoid* pixels) {
  unsupported("glTexSubImage2D");
  setError(GL_INVALID_OPERATION, "glTexSubImage2D");
}

void glGetTexLevelParameteriv(GLenum target, GLint level, GLenum pname, GLint* params) {
  int width = 0, height = 0;
  GLint format = 0;
  if (target == GL_PROXY_TEXTURE_2D) {
    width = g_proxy.width;
    height = g_proxy.height;
    format = g_proxy.internalFormat;
  } else if (target == GL_TEXTURE_2D) {
    TextureObject* t = boundTexture();
    if (t && level >= 0 && level < TextureObject::kLevels) {
      width = t->width[level];
      height = t->height[level];
      format = width > 0 ? (level == 0 ? t->internalFormat : (t->alpha[level] ? 4 : 3)) : 1;
    }
  } else if (target == GL_PROXY_TEXTURE_1D || target == GL_TEXTURE_1D) {
    // No 1D textures: GLU's size test of one finds nothing fits.
  } else {
    setError(GL_INVALID_ENUM, "glGetTexLevelParameteriv");
    return;
  }
  if (level < 0 || level >= TextureObject::kLevels) {
    setError(GL_INVALID_VALUE, "glGetTexLevelParameteriv");
    return;
  }
  switch (pname) {
    case GL_TEXTURE_WIDTH: *params = width; break;
    case GL_TEXTURE_HEIGHT: *params = height; break;
    case GL_TEXTURE_COMPONENTS: *params = format; break;
    case GL_TEXTURE_BORDER: *params = 0; break;
    case GL_TEXTURE_RED_SIZE: case GL_TEXTURE_GREEN_SIZE: case GL_TEXTURE_BLUE_SIZE: *params = width ? 8 : 0; break;
    case GL_TEXTURE_ALPHA_SIZE: {
      bool ok;
      *params = width && internalHasAlpha(format, &ok) ? 8 : 0;
      break;
    }
    default: setError(GL_INVALID_ENUM, "glGetTexLevelParameteriv"); break;
  }
}

void glGetTexLevelParameterfv(GLenum target, GLint level, GLenum pname, GLfloat* params) {
  GLint value = 0;
  glGetTexLevelParameteriv(target, level, pname, &value);
  *params = GLfloat(value);
}

void glGetTexParameteriv(GLenum target, GLenum pname, GLint* params) {
  TextureObject* t = target == GL_TEXTURE_2D ? boundTexture() : nullptr;
  if (!t) {
    setError(GL_INVALID_ENUM, "glGetTexParameteriv");
    return;
  }
  switch (pname) {
    case GL_TEXTURE_MIN_FILTER: *params = GLint(t->minFilter); break;
    case GL_TEXTURE_MAG_FILTER: *params = GLint(t->magFilter); break;
    case GL_TEXTURE_WRAP_S: *params = GLint(t->wrapS); break;
    case GL_TEXTURE_WRAP_T: *params = GLint(t->wrapT); break;
    default: setError(GL_INVALID_ENUM, "glGetTexParameteriv"); break;
  }
}

}  // extern "C"
