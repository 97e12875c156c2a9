// Scene entries called by the frame driver, one source file per scene.
#pragma once

void drawOpeningScene();                                          // opening.cpp
void drawSlidingPanels();                                         // sliding_panels.cpp
void drawSlabAndKites(int slot);                                  // slab_kites.cpp
void drawClockHallScene();                                        // clock_hall.cpp
void drawFigure(float x, float y, float z, float size);           // figure.cpp (used by the clock hall)
void drawFunnelBurst();                                           // funnel_burst.cpp
void drawGridRoomScene();                                         // grid_room.cpp
void drawTowerPanelScene();                                       // tower_panel.cpp
void drawTunnelPanelScene();                                      // tunnel_panel.cpp
void drawRingTubeScene();                                         // ring_tube.cpp
void drawTitleBoardScene(int x, int y, int width, int height);    // title_board.cpp
void drawWaterRoomScene();                                        // water_room.cpp
void drawCreditsScene();                                          // credits.cpp
