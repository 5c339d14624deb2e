// Render states as display lists: each prepared state owns one list,
// recompiled by RebuildStates (after creation, a resize, a mode change) so
// that the lists holding matrices follow the window; a state is applied by
// calling its list, and only on a change (TDevice::SetRenderState). What
// changes while the applet runs is read when a state is applied, not
// compiled: the lights of each scene and the applet's lighting switch.
#include "base/geometry/matrix.h"
#include "platform/sdl/ogl_device.h"
#include "platform/window.h"

namespace corvane {

namespace {

void LoadMatrix(GLenum mode, const TSpaceMatrix& m) {
  glMatrixMode(mode);
  glLoadMatrixf(&m[0].x);
}

// Lights 0-7 on for the scene they belong to.
void SceneLights(const TWindow& window, bool screenSpace) {
  for (int i = 0; i < kWindowLightCount; ++i) {
    const TLight& light = window.Lights[static_cast<std::size_t>(i)];
    const GLenum name = GL_LIGHT0 + static_cast<GLenum>(i);
    if (light.Enabled && light.ScreenSpace == screenSpace) glEnable(name);
    else glDisable(name);
  }
}

void TextureFilter(GLint filter) {
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
}

void TextureEnvironment(GLint mode) {
  glEnable(GL_TEXTURE_2D);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, mode);
}

}  // namespace

void TOGLDevice::CreateRenderStateList(TRenderState state) {
  if (state < kFirstPreparedState || state > kLastPreparedState) return;
  Flush();
  if (!MakeCurrent()) return;
  auto& list = StateLists[state];
  if (list == 0) list = glGenLists(1);
  if (list == 0) return;
  glNewList(static_cast<GLuint>(list), GL_COMPILE);
  switch (state) {
    case rs2DScene:
      LoadMatrix(GL_PROJECTION, ScreenProjectionMatrix());
      LoadMatrix(GL_TEXTURE, IdentitySpaceMatrix);
      LoadMatrix(GL_MODELVIEW, IdentitySpaceMatrix);
      break;
    case rs3DScene:
      LoadMatrix(GL_PROJECTION, GetProjMat());
      LoadMatrix(GL_MODELVIEW, IdentitySpaceMatrix);
      break;
    case rsLightOff: glDisable(GL_LIGHTING); break;
    case rsZTestOn:
      glEnable(GL_DEPTH_TEST);
      glDepthFunc(GL_LEQUAL);
      glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
      break;
    case rsZTestOff: glDisable(GL_DEPTH_TEST); break;
    case rsFrontFace: glCullFace(GL_BACK); break;
    case rsBackFace: glCullFace(GL_FRONT); break;
    case rsTexNearest: TextureFilter(GL_NEAREST); break;
    case rsTexLinear: TextureFilter(GL_LINEAR); break;
    case rsTexDisable: glDisable(GL_TEXTURE_2D); break;
    case rsTexReplace: TextureEnvironment(GL_DECAL); break;
    case rsTexModulate: TextureEnvironment(GL_MODULATE); break;
    default: break;  // depth write and blending: applied directly
  }
  glEndList();
}

void TOGLDevice::ApplyRenderState(TRenderState state) {
  Flush();
  if (!MakeCurrent()) return;
  // A wire frame shows no texture environment.
  if ((state == rsTexReplace || state == rsTexModulate) && ActiveStates[rsFrame]) return;
  if (state >= kFirstPreparedState && state <= kLastPreparedState && StateLists[state] != 0) {
    glCallList(static_cast<GLuint>(StateLists[state]));
    if (state == rs2DScene) glTextureMatrix_ = IdentityPlaneMatrix;  // its list loads the identity
  }
  const bool layered = Window()->Style == layerStyle;
  switch (state) {
    case rs2DScene: SceneLights(*Window(), true); break;
    case rs3DScene:
      glMatrixMode(GL_MODELVIEW);
      glLoadMatrixf(&Window()->ViewMatrix[0].x);
      SceneLights(*Window(), false);
      break;
    case rsLightOn:
      if (LightingSwitch()) glEnable(GL_LIGHTING);
      else glDisable(GL_LIGHTING);
      break;
    case rsBlendAdditive:
      if (layered && HasBlendFuncSeparate) glBlendFuncSeparateEXT(GL_SRC_ALPHA, GL_ONE, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
      else glBlendFunc(GL_SRC_ALPHA, GL_ONE);
      break;
    case rsBlendNormal:
      if (layered && HasBlendFuncSeparate)
        glBlendFuncSeparateEXT(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
      else glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
      break;
    // Depth writes follow the states, so that what is drawn with the depth
    // test but without writes (particles) hides nothing behind it.
    case rsZWriteOn: glDepthMask(GL_TRUE); break;
    case rsZWriteOff: glDepthMask(GL_FALSE); break;
    case rsFrame: glPolygonMode(GL_FRONT, GL_LINE); break;
    case rsSolid: glPolygonMode(GL_FRONT, GL_FILL); break;
    default: break;
  }
}

}  // namespace corvane
