// The eight machine set-ups of the set-up list (2005): hand of hob, hand of gear and
// type of cut, with what follows from them for the operator.

// One row of the list: the columns Hob, Gear, Type of Cut, Sign, Work and the
// intermediate studs of the index and the feed train.
export function setupRow(item) {
  const rightHob = item < 4;
  const sameHands = item === 0 || item === 1 || item === 4 || item === 5;
  const hob = rightHob ? 'RH' : 'LH';
  const other = rightHob ? 'LH' : 'RH';
  return {
    hob,
    gear: sameHands ? hob : other,
    cut: item % 2 === 0 ? 'Conventional' : 'Climb',
    sign: item === 0 || item === 3 || item === 4 || item === 7 ? '-' : '+',
    work: rightHob ? 'TC' : 'TG',
    indexStuds: rightHob ? 1 : 2,
    feedStuds: item === 0 || item === 2 || item === 5 || item === 7 ? 1 : 2,
  };
}

export const SETUP_COUNT = 8;
