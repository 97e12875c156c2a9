// Tunnel top panel: two tunnel segments that leapfrog behind a camera backing along -z.
#pragma once

class TunnelSegments {
 public:
  TunnelSegments(float size, float length, float x, float y, float z);
  void drawSegmentA();
  void drawSegmentB();

  float size;
  float length;
  float x;
  float y;
  float zA;
  float zB;

 private:
  void drawSegment(float z);
};

extern TunnelSegments g_tunnel;
extern float g_tunnelCameraZ;
