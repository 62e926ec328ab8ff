#include "bench/name_lists.h"

namespace bench {
namespace {

constexpr std::string_view kGiven[] = {
    "James",   "Mary",      "Robert",    "Patricia", "John",     "Jennifer", "Michael",
    "Linda",   "David",     "Elizabeth", "William",  "Barbara",  "Richard",  "Susan",
    "Joseph",  "Jessica",   "Thomas",    "Sarah",    "Charles",  "Karen",    "Christopher",
    "Lisa",    "Daniel",    "Nancy",     "Matthew",  "Betty",    "Anthony",  "Margaret",
    "Mark",    "Sandra",    "Donald",    "Ashley",   "Steven",   "Kimberly", "Paul",
    "Emily",   "Andrew",    "Donna",     "Joshua",   "Michelle", "Kenneth",  "Carol",
    "Kevin",   "Amanda",    "Brian",     "Dorothy",  "George",   "Melissa",  "Timothy",
    "Deborah", "Ronald",    "Stephanie", "Edward",   "Rebecca",  "Jason",    "Sharon",
    "Jeffrey", "Laura",     "Ryan",      "Cynthia",  "Jacob",    "Kathleen", "Gary",
    "Amy",     "Nicholas",  "Angela",    "Eric",     "Shirley",  "Jonathan", "Anna",
    "Stephen", "Brenda",    "Larry",     "Pamela",   "Justin",   "Emma",     "Scott",
    "Nicole",  "Brandon",   "Helen",     "Benjamin", "Samantha", "Samuel",   "Katherine",
    "Gregory", "Christine", "Alexander", "Debra",    "Frank",    "Rachel",   "Patrick",
    "Carolyn", "Raymond",   "Janet",     "Jack",     "Maria"};

constexpr std::string_view kSurnames[] = {
    "Smith",      "Johnson",   "Williams",   "Brown",     "Jones",      "Garcia",    "Miller",
    "Davis",      "Rodriguez", "Martinez",   "Hernandez", "Lopez",      "Gonzalez",  "Wilson",
    "Anderson",   "Thomas",    "Taylor",     "Moore",     "Jackson",    "Martin",    "Lee",
    "Perez",      "Thompson",  "White",      "Harris",    "Sanchez",    "Clark",     "Ramirez",
    "Lewis",      "Robinson",  "Walker",     "Young",     "Allen",      "King",      "Wright",
    "Scott",      "Torres",    "Nguyen",     "Hill",      "Flores",     "Green",     "Adams",
    "Nelson",     "Baker",     "Hall",       "Rivera",    "Campbell",   "Mitchell",  "Carter",
    "Roberts",    "Gomez",     "Phillips",   "Evans",     "Turner",     "Diaz",      "Parker",
    "Cruz",       "Edwards",   "Collins",    "Reyes",     "Stewart",    "Morris",    "Morales",
    "Murphy",     "Cook",      "Rogers",     "Gutierrez", "Ortiz",      "Morgan",    "Cooper",
    "Peterson",   "Bailey",    "Reed",       "Kelly",     "Howard",     "Ramos",     "Kim",
    "Cox",        "Ward",      "Richardson", "Watson",    "Brooks",     "Chavez",    "Wood",
    "James",      "Bennett",   "Gray",       "Mendoza",   "Ruiz",       "Hughes",    "Price",
    "Alvarez",    "Castillo",  "Sanders",    "Patel",     "Myers",      "Long",      "Ross",
    "Foster",     "Jimenez",   "Powell",     "Jenkins",   "Perry",      "Russell",   "Sullivan",
    "Bell",       "Coleman",   "Butler",     "Henderson", "Barnes",     "Gonzales",  "Fisher",
    "Vasquez",    "Simmons",   "Romero",     "Jordan",    "Patterson",  "Alexander", "Hamilton",
    "Graham",     "Reynolds",  "Griffin",    "Wallace",   "Moreno",     "West",      "Cole",
    "Hayes",      "Bryant",    "Herrera",    "Gibson",    "Ellis",      "Tran",      "Medina",
    "Aguilar",    "Stevens",   "Murray",     "Ford",      "Castro",     "Marshall",  "Owens",
    "Harrison",   "Fernandez", "McDonald",   "Woods",     "Washington", "Kennedy",   "Wells",
    "Vargas",     "Henry",     "Chen",       "Freeman",   "Webb",       "Tucker",    "Guzman",
    "Burns",      "Crawford",  "Olson",      "Simpson",   "Porter",     "Hunter",    "Gordon",
    "Mendez",     "Silva",     "Shaw",       "Snyder",    "Mason",      "Dixon",     "Munoz",
    "Hunt",       "Hicks",     "Holmes",     "Palmer",    "Wagner",     "Black",     "Robertson",
    "Boyd",       "Rose",      "Stone",      "Salazar",   "Fox",        "Warren",    "Mills",
    "Meyer",      "Rice",      "Schmidt",    "Garza",     "Daniels",    "Ferguson",  "Nichols",
    "Stephens",   "Soto",      "Weaver",     "Ryan",      "Gardner",    "Payne",     "Grant",
    "Dunn",       "Kelley",    "Spencer",    "Hawkins",   "Arnold",     "Pierce",    "Vazquez",
    "Hansen",     "Peters",    "Santos",     "Hart",      "Bradley",    "Knight",    "Elliott",
    "Cunningham", "Duncan",    "Armstrong",  "Hudson",    "Carroll",    "Lane",      "Riley",
    "Andrews",    "Alvarado",  "Ray",        "Delgado",   "Berry",      "Perkins",   "Hoffman",
    "Johnston",   "Matthews",  "Pena",       "Richards",  "Contreras",  "Willis",    "Carpenter",
    "Lawrence",   "Sandoval"};

constexpr std::string_view kStreets[] = {
    "Oak",       "Maple",   "Cedar",    "Pine",     "Elm",    "Washington", "Lake",     "Hill",
    "Park",      "Main",    "Church",   "High",     "Mill",   "River",      "Spring",   "Forest",
    "Meadow",    "Sunset",  "Highland", "Ridge",    "Valley", "Walnut",     "Chestnut", "Willow",
    "Jefferson", "Lincoln", "Madison",  "Franklin", "Adams",  "Jackson",    "Union",    "Center",
    "Prospect",  "Broad",   "Water",    "Market",   "Bridge", "Orchard",    "Garden",   "Harbor"};

constexpr std::string_view kStreetKinds[] = {"Street", "Avenue", "Road",  "Lane",
                                             "Drive",  "Court",  "Place", "Boulevard"};

constexpr std::string_view kTowns[] = {
    "Springfield, IL", "Riverside, CA",   "Franklin, TN", "Greenville, SC", "Bristol, CT",
    "Clinton, IA",     "Fairview, OR",    "Salem, MA",    "Madison, WI",    "Georgetown, TX",
    "Arlington, VA",   "Ashland, OH",     "Dover, DE",    "Oxford, MS",     "Jackson, MI",
    "Burlington, VT",  "Manchester, NH",  "Milton, PA",   "Newport, RI",    "Marion, IN",
    "Auburn, AL",      "Hudson, NY",      "Kingston, NY", "Lebanon, NH",    "Clayton, MO",
    "Dayton, OH",      "Lexington, KY",   "Milford, CT",  "Winchester, VA", "Columbia, MD",
    "Centerville, UT", "Bloomington, MN", "Plymouth, MN", "Camden, NJ",     "Troy, NY",
    "Shelby, NC",      "Monroe, LA",      "Sheridan, WY", "Helena, MT",     "Boulder, CO"};

constexpr std::string_view kAdjectives[] = {
    "Steel", "Copper", "Brass",    "Plastic", "Oak",   "Pine",    "Glass",  "Rubber",
    "Heavy", "Light",  "Compact",  "Large",   "Small", "Outdoor", "Indoor", "Deluxe",
    "Basic", "Heated", "Cordless", "Folding", "Round", "Square",  "Double", "Spare"};

constexpr std::string_view kNouns[] = {
    "Bolt",   "Washer", "Bracket", "Hinge",   "Valve", "Pipe",    "Hose",   "Fitting",
    "Lamp",   "Switch", "Cable",   "Panel",   "Shelf", "Cabinet", "Chair",  "Table",
    "Drill",  "Saw",    "Hammer",  "Wrench",  "Clamp", "Ladder",  "Bucket", "Brush",
    "Filter", "Pump",   "Motor",   "Battery", "Fan",   "Heater",  "Gasket", "Spring"};

constexpr std::string_view kRemarks[] = {
    "Prefers delivery in the morning.",
    "Pays by check at the end of the month.",
    "Call before shipping; the loading dock closes at four.",
    "Asked for a catalogue with the next statement.",
    "Long-standing customer, referred several others.",
    "Disputed an invoice last spring; settled.",
    "Tax exempt certificate on file.",
    "Send invoices to the accounts office, not the shop.",
    "Occasional large orders before the holidays.",
    "New account, credit limit to be reviewed after six months.",
    "Wants items on back order shipped as they arrive.",
    "Moved premises; the old address appears on early invoices.",
    "Contact the owner directly for anything over the limit.",
    "Usually collects in person.",
    "Interested in the extended warranty.",
    "Bulk discount agreed on repeat orders."};

}  // namespace

std::span<const std::string_view> givenNames() {
    return kGiven;
}
std::span<const std::string_view> surnames() {
    return kSurnames;
}
std::span<const std::string_view> streetNames() {
    return kStreets;
}
std::span<const std::string_view> streetKinds() {
    return kStreetKinds;
}
std::span<const std::string_view> towns() {
    return kTowns;
}
std::span<const std::string_view> productAdjectives() {
    return kAdjectives;
}
std::span<const std::string_view> productNouns() {
    return kNouns;
}
std::span<const std::string_view> remarks() {
    return kRemarks;
}

}  // namespace bench
