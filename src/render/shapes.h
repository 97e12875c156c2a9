// Primitive shapes: axis-aligned faces (plain and tiled), boxes, pyramid, free quads and
// the GLU cylinder and partial disk.
#pragma once

void drawFrontFace(float x, float y, float z, float width, float height);
void drawBackFace(float x, float y, float z, float width, float height);
void drawRightFace(float x, float y, float z, float height, float depth);
void drawLeftFace(float x, float y, float z, float height, float depth);
void drawTopFace(float x, float y, float z, float width, float depth);
void drawBottomFace(float x, float y, float z, float width, float depth);

void drawFrontFaceTiled(float x, float y, float z, float width, float height, float repeat);
void drawBackFaceTiled(float x, float y, float z, float width, float height, float repeat);
void drawRightFaceTiled(float x, float y, float z, float height, float depth, float repeat);
void drawLeftFaceTiled(float x, float y, float z, float height, float depth, float repeat);
void drawTopFaceTiled(float x, float y, float z, float width, float depth, float repeat);
void drawBottomFaceTiled(float x, float y, float z, float width, float depth, float repeat);

void drawBox(float x, float y, float z, float width, float height, float depth, int topBottomSlot,
             int sideSlot);
void drawTiledBox(float x, float y, float z, float width, float height, float depth, int topBottomSlot,
                  int sideSlot, float topBottomRepeat, float sideRepeat);
void drawPyramid(float x, float y, float z, float height, float baseWidth);
void drawQuadFromCorners(float ax, float ay, float az, float bx, float by, float bz, float dx2, float dx4,
                         float dy2, float dy4, float dz2, float dz4);
void drawSlantedQuad(float x, float y, float z, double rightOffset, double bottomHalfWidth, double height,
                     int slot);
void drawCylinder(double topRadius, double baseRadius, double height, int slices, int stacks);
void drawPartialDisk(double innerRadius, double outerRadius, int slices, int loops, double startAngle,
                     double sweepAngle);
