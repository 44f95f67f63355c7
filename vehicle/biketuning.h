// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef BIKETUNING_H
#define BIKETUNING_H

#include "vehicle/bikepainter.h"

#include <QtGlobal>
#include <chipmunk/chipmunk.h>
#include <cmath>

// How the bike is built: masses, shapes, grooves, springs and the rider's
// slide, in scene units (y down), kilograms and seconds. Every ride replay
// depends on these values bit for bit.
namespace BikeTuning {
// Frame: mass, and the box the moment of inertia is computed for (times
// the frame rectangle).
inline constexpr qreal kFrameMass = 13.0;
inline constexpr qreal kFrameMomentScale = 1.1;
inline constexpr cpVect kMainFrameVerts[] = {{-42.7, -6.5}, {-42.7, -1.5}, {38, -1.5}, {38, -6.5}};
inline constexpr qreal kMainFrameElasticity = 0.25;
inline constexpr qreal kMainFrameFriction = 1.0;
inline constexpr cpVect kSecondFrameVerts[] = {{-43, 1.5}, {-43, 6.5}, {36, 6.5}, {36, 1.5}};
inline constexpr float kSecondFrameElasticity = 0.3f;
inline constexpr float kSecondFrameFriction = 0.9f;
inline constexpr qreal kHeadRadius = 12.0;
inline constexpr cpVect kHeadOffset = {-5, -45};
inline constexpr float kHeadElasticity = 0.2f;
inline constexpr float kHeadFriction = 0.9f;
inline constexpr qreal kKneeRadius = 4.0;
inline constexpr cpVect kKneeOffset = {18, -11};
inline constexpr qreal kKneeElasticity = 0.2;
inline constexpr qreal kKneeFriction = 0.8;

// Wheels (radius in units, mass, angular velocity limit in rad/s).
inline constexpr qreal kWheelRadius = 20.0;
inline constexpr qreal kWheelMass = 2.1;
inline constexpr qreal kWheelMaxAngularVelocity = 120.0;
inline constexpr qreal kFrontWheelElasticity = 0.0;
inline constexpr qreal kFrontWheelFriction = 0.96;
inline constexpr qreal kRearWheelElasticity = 0.05;
inline constexpr qreal kRearWheelFriction = 1.15;
inline const char *const kWheelSprite = BikePainter::kWheelPicture;

// Suspension grooves in frame coordinates; the joint uses the groove from
// a fraction of the way along it, and setBodyPos puts the wheel at 80 %.
inline constexpr cpVect kFrontGrooveA = {24, 4};
inline constexpr cpVect kFrontGrooveB = {36, 25};
inline constexpr cpVect kRearGrooveA = {-32, 8};
inline constexpr cpVect kRearGrooveB = {-32, 26};
inline constexpr qreal kFrontGrooveStart = 0.05;
inline constexpr qreal kRearGrooveStart = 0.1;
inline constexpr qreal kPlacementAlongGroove = 0.8;
// Springs: rest length (units), stiffness, damping.
inline constexpr qreal kWheelSpringRest = 24.0;
inline constexpr qreal kFrontSpringStiffness = 3132.0;
inline const qreal kFrontSpringDamping = std::nextafter(70.8, 71.0);
inline constexpr qreal kRearSpringStiffness = 2940.0;
inline constexpr qreal kRearSpringDamping = 80.4;
// Joints correct this fraction of their error per step.
inline constexpr qreal kJointBiasPerStep = 0.1;
inline constexpr qreal kRiderGrooveBiasPerStep = 0.35;

// Rider mass on its own sprung slide.
inline constexpr qreal kRiderMassRadius = 7.5;
inline constexpr qreal kRiderMassMass = 11.0;
inline constexpr qreal kRiderMassFriction = 0.6;
inline constexpr qreal kRiderMassElasticity = 0.39;
inline constexpr cpVect kRiderGrooveInitialA = {-2, 10};
inline constexpr cpVect kRiderGrooveInitialB = {-3, -15};
inline constexpr qreal kRiderSpringRest = 26.5;
inline constexpr qreal kRiderSpringStiffness = 550.0;
inline constexpr qreal kRiderSpringDamping = 37.4;
// The slide's ends move with the tilt: A = (-22.5 t, 10), B = (-30.5 t, -15);
// the spring's frame anchor = (22.5 t, 10).
inline constexpr qreal kRiderGrooveTiltA = -22.5;
inline constexpr qreal kRiderGrooveTiltB = -30.5;
inline constexpr qreal kRiderSpringTilt = 22.5;
inline constexpr qreal kRiderGrooveLowY = 10.0;
inline constexpr qreal kRiderGrooveHighY = -15.0;

} // namespace BikeTuning

#endif
