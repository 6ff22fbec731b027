// The gauge table in listing order: one line per entry, the name the panel
// configuration uses. A gauge family lists its gauges by enabling their lines
// as they are built; Flaps_Switch stands twice and both entries share one header.
// Expanded by gauge_table.cpp with QR_GAUGE(name) defined.

QR_GAUGE(Shut_Down)                         //  1, 30 mm
// QR_GAUGE(Registration)                   //  2, 150 mm
// QR_GAUGE(Kneeboard_Toggle)               //  3, 19 mm
// QR_GAUGE(ATC_Toggle)                     //  4, 19 mm
// QR_GAUGE(Map_Toggle)                     //  5, 19 mm
// QR_GAUGE(Invisible_Toggle)               //  6, 19 mm
// QR_GAUGE(Fuel_Toggle)                    //  7, 19 mm
// QR_GAUGE(Close_Subpanel)                 //  8, 19 mm
// QR_GAUGE(Radios_Toggle)                  //  9, 19 mm
// QR_GAUGE(Show_Yoke)                      // 10, 19 mm
// QR_GAUGE(Landing_View_Toggle)            // 11, 19 mm
// QR_GAUGE(Nav_Instruments_Toggle)         // 12, 19 mm
// QR_GAUGE(GPS_Toggle)                     // 13, 19 mm
// QR_GAUGE(Throttle_Toggle)                // 14, 19 mm
// QR_GAUGE(Overhead_Toggle)                // 15, 19 mm
// QR_GAUGE(Compass_Toggle)                 // 16, 19 mm
// QR_GAUGE(Electricity_Toggle)             // 17, 19 mm
// QR_GAUGE(Gear_Toggle)                    // 18, 19 mm
// QR_GAUGE(Starter_Toggle)                 // 19, 19 mm
// QR_GAUGE(Bombardier_View_Toggle)         // 20, 19 mm
QR_GAUGE(Radio_COM1)                        // 21, 100 mm
QR_GAUGE(Radio_NAV1)                        // 22, 100 mm
QR_GAUGE(Radio_NAV2)                        // 23, 100 mm
QR_GAUGE(Radio_ADF)                         // 24, 100 mm
QR_GAUGE(Radio_IFF_XPDR)                    // 25, 100 mm
QR_GAUGE(Vertical_Speed)                    // 26, 100 mm
QR_GAUGE(Altimeter)                         // 27, 100 mm
QR_GAUGE(Airspeed)                          // 28, 100 mm
QR_GAUGE(Turn_Coordinator)                  // 29, 100 mm
QR_GAUGE(Gyro_Compass)                      // 30, 100 mm
QR_GAUGE(Attitude)                          // 31, 100 mm
QR_GAUGE(Bezu_Compass)                      // 32, 120 mm
QR_GAUGE(ADF_Indicator)                     // 33, 100 mm
QR_GAUGE(VOR1)                              // 34, 100 mm
QR_GAUGE(VOR2)                              // 35, 100 mm
QR_GAUGE(Tachometer)                        // 36, 100 mm
QR_GAUGE(Manifold_Pressure)                 // 37, 100 mm
QR_GAUGE(Oil_Pressure)                      // 38, 100 mm
QR_GAUGE(Fuel_Pressure)                     // 39, 100 mm
QR_GAUGE(Oil_Temperature)                   // 40, 100 mm
QR_GAUGE(Fuel_Quantity)                     // 41, 100 mm
QR_GAUGE(Carburetor_Temperature)            // 42, 100 mm
QR_GAUGE(Fuel_Consumption)                  // 43, 70 mm
QR_GAUGE(Aviac_Box)                         // 44, 100 mm
QR_GAUGE(Throttle_Quadrant)                 // 45, 123 mm
QR_GAUGE(Flaps_Indicator)                   // 46, 100 mm
// QR_GAUGE(Breguet_Timer)                  // 47, 100 mm
QR_GAUGE(Magnetic_Compass)                  // 48, 100 mm
QR_GAUGE(OMI)                               // 49, 100 mm
// QR_GAUGE(Radio_Altimeter)                // 50, 100 mm
QR_GAUGE(Gear_Lever)                        // 51, 40 mm
QR_GAUGE(Voltmeter)                         // 52, 100 mm
QR_GAUGE(Battery_Bus_Ammeter)               // 53, 100 mm
QR_GAUGE(Left_Generator_Bus_Ammeter)        // 54, 100 mm
QR_GAUGE(Right_Generator_Bus_Ammeter)       // 55, 100 mm
QR_GAUGE(Hydraulic_Pressure)                // 56, 100 mm
QR_GAUGE(Pitch_Trim_Indicator)              // 57, 15 mm
QR_GAUGE(Flaps_Switch)                      // 58, 40 mm
QR_GAUGE(NAV_GPS_Switch)                    // 59, 30 mm
// QR_GAUGE(Radio_Altimeter_Switch)         // 60, 30 mm
QR_GAUGE(Parking_Brake)                     // 61, 52 mm
QR_GAUGE(Beacon_Lights_Switch)              // 62, 20 mm
QR_GAUGE(Landing_Lights_Switch)             // 63, 20 mm
QR_GAUGE(Taxi_Lights_Switch)                // 64, 20 mm
QR_GAUGE(Navigation_Lights_Switch)          // 65, 20 mm
QR_GAUGE(Panel_Lights_Switch)               // 66, 20 mm
QR_GAUGE(Strobe_Lights_Switch)              // 67, 20 mm
QR_GAUGE(Battery_Switch)                    // 68, 80 mm
QR_GAUGE(Avionics_Switch)                   // 69, 20 mm
QR_GAUGE(Pitot_Heat_Switch)                 // 70, 20 mm
QR_GAUGE(Main_Switch_Left)                  // 71, 20 mm
QR_GAUGE(Main_Switch_Right)                 // 72, 20 mm
QR_GAUGE(Left_Gen_Excit_Switch)             // 73, 20 mm
QR_GAUGE(Right_Gen_Excit_Switch)            // 74, 20 mm
QR_GAUGE(Left_Gen_Main_Switch)              // 75, 20 mm
QR_GAUGE(Right_Gen_Main_Switch)             // 76, 20 mm
QR_GAUGE(Prop_DeIce_Switch)                 // 77, 20 mm
QR_GAUGE(Wings_DeIce_Switch)                // 78, 20 mm
QR_GAUGE(Propeller_Switch)                  // 79, 40 mm
QR_GAUGE(Flaps_Switch)                      // 80, 40 mm
QR_GAUGE(Propeller_Reset_Left)              // 81, 40 mm
QR_GAUGE(Propeller_Reset_Right)             // 82, 40 mm
QR_GAUGE(Propeller_Feather_Left)            // 83, 40 mm
QR_GAUGE(Propeller_Feather_Right)           // 84, 40 mm
QR_GAUGE(Gear_Lamps)                        // 85, 40 mm
// QR_GAUGE(Radio_Altimeter_DH_Light)       // 86, 30 mm
QR_GAUGE(Manifold_Light)                    // 87, 100 mm
QR_GAUGE(Left_Generator_Light)              // 88, 20 mm
QR_GAUGE(Right_Generator_Light)             // 89, 20 mm
