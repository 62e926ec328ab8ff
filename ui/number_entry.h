// Taking the values of number and date boxes when an editor saves. A box that does not hold a
// number or a date has already told the user so when it was left; saving then stops with the
// focus back in that box.
#pragma once

class DateBox;
class NumberBox;

bool TakeNumber(NumberBox* box, double* value);
// The date passed through FixCentury.
bool TakeDate(DateBox* box, double* value);
